#include "RowTexts.h"

#include <QStringEncoder>

#include <cstdlib>
#include <new>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

namespace {

// Small texts share blocks of this size; a longer one gets a block of its own, so a block's
// unused end stays small.
constexpr qsizetype BlockBytes = 1024 * 1024;
constexpr qsizetype OwnBlockFrom = 64 * 1024;
constexpr qsizetype SpansPerChunk = 64 * 1024;

// The length of `text` in UTF-8, or -1 when it holds a lone surrogate (which the encoder
// replaces, so positions in it would not map one to one).
qsizetype PairedUtf8Length(QStringView text)
{
    qsizetype length = 0;
    const qsizetype size = text.size();
    for (qsizetype at = 0; at < size; ++at) {
        const char16_t unit = text[at].unicode();
        if (unit < 0x80)
            length += 1;
        else if (unit < 0x800)
            length += 2;
        else if (!QChar::isSurrogate(unit))
            length += 3;
        else if (QChar::isHighSurrogate(unit) && at + 1 < size
                 && QChar::isLowSurrogate(text[at + 1].unicode())) {
            length += 4;
            ++at;
        } else
            return -1;
    }
    return length;
}

// The same without a branch per unit, so that it runs over whole bodies at memory speed; each
// unit of a surrogate pair counts 2. Only text with surrogates is checked for lone ones. Most
// mail is ASCII, which the library tells fastest.
qsizetype Utf8Length(QStringView text)
{
    if (QtPrivate::isAscii(text))
        return text.size();
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    qsizetype length = size;
    unsigned surrogates = 0;
    for (qsizetype at = 0; at < size; ++at) {
        const unsigned unit = units[at];
        const unsigned surrogate = (unit & 0xF800u) == 0xD800u;
        length += qsizetype((unit >= 0x80u) + (unit >= 0x800u) - surrogate);
        surrogates |= surrogate;
    }
    return surrogates ? PairedUtf8Length(text) : length;
}

QStringEncoder Utf8Encoder()
{
    return QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
}

} // namespace

void RowTexts::ReturnPages::operator()(void *memory) const
{
#ifdef Q_OS_UNIX
    munmap(memory, bytes);
#else
    std::free(memory);
#endif
}

// Straight from the system: blocks kept for the whole run between the session's short-lived
// allocations would fragment the heap, and every allocation after them would search longer.
template<typename T> RowTexts::Pages<T> RowTexts::takePages(std::size_t count)
{
    const std::size_t bytes = count * sizeof(T);
#ifdef Q_OS_UNIX
    void *memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
#else
    void *memory = std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
#endif
    return Pages<T>(static_cast<T *>(memory), ReturnPages {bytes});
}

template<typename T>
RowTexts::Pages<T> RowTexts::reuseOrTake(std::vector<Pages<T>> &spare, std::size_t count)
{
    if (spare.empty())
        return takePages<T>(count);
    Pages<T> pages = std::move(spare.back());
    spare.pop_back();
    return pages;
}

void RowTexts::giveBackLazily(void *memory, std::size_t bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_FREE)
    madvise(memory, bytes, MADV_FREE);
#else
    Q_UNUSED(memory);
    Q_UNUSED(bytes);
#endif
}

void RowTexts::append(const QString &text)
{
    const qsizetype length = Utf8Length(text);
    const Span span = store(text, length);
    addSpan(span);
    m_last = length >= 0 && qsizetype(span.length) == length ? text : QString();
    m_lastAscii = length == text.size();
    m_lastSpan = span;
    m_lastUnits = 0;
    m_lastBytes = 0;
}

void RowTexts::appendPart(QStringView part)
{
    if (!pointIntoLast(part))
        addSpan(store(part, Utf8Length(part)));
}

void RowTexts::addSpan(const Span &span)
{
    if (m_size == qsizetype(m_spanChunks.size()) * SpansPerChunk)
        m_spanChunks.push_back(reuseOrTake(m_spareSpanChunks, SpansPerChunk));
    m_spanChunks.back()[m_size % SpansPerChunk] = span;
    ++m_size;
}

const RowTexts::Span &RowTexts::span(qsizetype row) const
{
    return m_spanChunks[std::size_t(row / SpansPerChunk)][row % SpansPerChunk];
}

// A list is mostly cleared to be filled again at once: its shared blocks and row chunks are kept
// for that, so the next run writes into pages it already has instead of faulting in new ones.
// The system may still take them back meanwhile (they hold nothing anyone reads).
void RowTexts::clear()
{
    for (Block &block : m_blocks) {
        if (block.capacity == BlockBytes) {
            giveBackLazily(block.bytes.get(), BlockBytes);
            m_spareBlocks.push_back(std::move(block.bytes));
        }
    }
    for (Pages<Span> &chunk : m_spanChunks) {
        giveBackLazily(chunk.get(), SpansPerChunk * sizeof(Span));
        m_spareSpanChunks.push_back(std::move(chunk));
    }
    m_blocks.clear();
    m_spanChunks.clear();
    m_size = 0;
    m_openBlock = -1;
    m_textBytes = 0;
    m_last = QString();
}

QString RowTexts::text(qsizetype row) const
{
    const QByteArrayView utf8 = bytes(row);
    return QString::fromUtf8(utf8.data(), utf8.size());
}

QByteArrayView RowTexts::bytes(qsizetype row) const
{
    const Span &where = span(row);
    if (where.length == 0)
        return {};
    return QByteArrayView(m_blocks[where.block].bytes.get() + where.offset, where.length);
}

QByteArrayView RowTexts::encode(QStringView text, QByteArray &buffer)
{
    QStringEncoder encoder = Utf8Encoder();
    buffer.resize(encoder.requiredSpace(text.size()));
    const char *end = encoder.appendToBuffer(buffer.data(), text);
    return QByteArrayView(buffer.constData(), end - buffer.constData());
}

// Writes `text` into a block; `length` is its UTF-8 length, or -1 when only an upper bound is
// known.
RowTexts::Span RowTexts::store(QStringView text, qsizetype length)
{
    if (text.isEmpty())
        return {};
    QStringEncoder encoder = Utf8Encoder();
    quint32 block = 0;
    char *out = room(length >= 0 ? length : encoder.requiredSpace(text.size()), &block);
    const qsizetype written = encoder.appendToBuffer(out, text) - out;
    Block &target = m_blocks[block];
    const quint32 offset = target.used;
    target.used += quint32(written);
    m_textBytes += written;
    return {block, offset, quint32(written)};
}

// Space for `length` bytes at the end of a block, which the caller then fills.
char *RowTexts::room(qsizetype length, quint32 *block)
{
    const bool ownBlock = length >= OwnBlockFrom;
    if (!ownBlock && m_openBlock >= 0) {
        Block &open = m_blocks[std::size_t(m_openBlock)];
        if (open.used + length <= open.capacity) {
            *block = quint32(m_openBlock);
            return open.bytes.get() + open.used;
        }
    }
    const qsizetype capacity = ownBlock ? length : BlockBytes;
    m_blocks.push_back(
        {ownBlock ? takePages<char>(std::size_t(capacity)) : reuseOrTake(m_spareBlocks, BlockBytes),
         0, quint32(capacity)});
    *block = quint32(m_blocks.size() - 1);
    if (!ownBlock)
        m_openBlock = qsizetype(*block);
    return m_blocks.back().bytes.get();
}

// A part of the text appended last becomes a row pointing into that text's bytes. Parts come in
// order (body lines), so the UTF-8 position is carried forward from the previous part.
bool RowTexts::pointIntoLast(QStringView part)
{
    if (part.isEmpty()) {
        addSpan({});
        return true;
    }
    const auto begin = quintptr(m_last.constData());
    const auto start = quintptr(part.data());
    if (m_last.isEmpty() || start < begin
        || start + part.size() * sizeof(QChar) > begin + m_last.size() * sizeof(QChar)
        || part.front().isLowSurrogate() || part.back().isHighSurrogate())
        return false;
    const qsizetype unit = qsizetype(start - begin) / qsizetype(sizeof(QChar));
    if (m_lastAscii) { // a byte a unit: nothing to count
        addSpan({m_lastSpan.block, m_lastSpan.offset + quint32(unit), quint32(part.size())});
        return true;
    }
    if (unit < m_lastUnits) {
        m_lastUnits = 0;
        m_lastBytes = 0;
    }
    m_lastBytes += Utf8Length(QStringView(m_last).sliced(m_lastUnits, unit - m_lastUnits));
    const qsizetype length = Utf8Length(part);
    addSpan({m_lastSpan.block, m_lastSpan.offset + quint32(m_lastBytes), quint32(length)});
    m_lastUnits = unit + part.size();
    m_lastBytes += length;
    return true;
}
