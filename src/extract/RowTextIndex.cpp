#include "RowTextIndex.h"

#include <QHash>

#include <cstdlib>
#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t InitialSlots = 1024;
constexpr std::size_t HugePageBytes = 2 * 1024 * 1024;

} // namespace

bool RowTextIndex::contains(const RowTexts &rows, QStringView text)
{
    catchUp(rows);
    if (m_slotCount == 0)
        return false;
    const QByteArrayView asked = RowTexts::encode(text, m_asked);
    return m_slots[slotOf(rows, asked, hashOf(asked))].rowPlusOne != 0;
}

void RowTextIndex::clear()
{
    m_slots.reset();
    m_slotCount = 0;
    m_indexed = 0;
    m_distinct = 0;
}

void RowTextIndex::FreeSlots::operator()(Slot *slots) const
{
    std::free(slots);
}

// Each question reads one slot at random. On a table of many megabytes those reads would miss
// the processor's address cache more and more as the list grows; on huge pages they do not.
RowTextIndex::Slots RowTextIndex::emptySlots(std::size_t count)
{
    const std::size_t bytes = count * sizeof(Slot);
    void *memory = nullptr;
    if (bytes >= HugePageBytes) {
        memory = std::aligned_alloc(HugePageBytes, bytes);
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
        if (memory)
            madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    } else {
        memory = std::malloc(bytes);
    }
    if (!memory)
        throw std::bad_alloc();
    std::memset(memory, 0, bytes); // all zero: every slot empty
    return Slots(static_cast<Slot *>(memory));
}

quint32 RowTextIndex::hashOf(QByteArrayView text)
{
    const quint64 hash = qHash(text, QHashSeed::globalSeed());
    return quint32(hash ^ (hash >> 32));
}

// The slot that holds a row equal to `text`, or else the empty slot where it would go.
std::size_t RowTextIndex::slotOf(const RowTexts &rows, QByteArrayView text, quint32 hash) const
{
    const std::size_t mask = m_slotCount - 1;
    std::size_t at = hash & mask;
    for (;; at = (at + 1) & mask) {
        const Slot &slot = m_slots[at];
        if (slot.rowPlusOne == 0 || (slot.hash == hash && rows.bytes(slot.rowPlusOne - 1) == text))
            return at;
    }
}

// Only the first of equal rows is indexed: repeated texts (empty lines, say) never lengthen a
// slot run.
void RowTextIndex::catchUp(const RowTexts &rows)
{
    for (; m_indexed < rows.size(); ++m_indexed) {
        if (std::size_t(m_distinct + 1) * 2 > m_slotCount)
            grow();
        const QByteArrayView text = rows.bytes(m_indexed);
        const quint32 hash = hashOf(text);
        Slot &slot = m_slots[slotOf(rows, text, hash)];
        if (slot.rowPlusOne == 0) {
            slot = {hash, quint32(m_indexed + 1)};
            ++m_distinct;
        }
    }
}

// Moves the pairs into a table twice the size; their stored hashes place them, the texts are
// not read again.
void RowTextIndex::grow()
{
    const std::size_t oldCount =
        std::exchange(m_slotCount, std::max(InitialSlots, m_slotCount * 2));
    const Slots old = std::exchange(m_slots, emptySlots(m_slotCount));
    for (std::size_t at = 0; at < oldCount; ++at) {
        if (old[at].rowPlusOne != 0)
            place(old[at].hash, old[at].rowPlusOne);
    }
}

void RowTextIndex::place(quint32 hash, quint32 rowPlusOne)
{
    const std::size_t mask = m_slotCount - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].rowPlusOne != 0)
        at = (at + 1) & mask;
    m_slots[at] = {hash, rowPlusOne};
}
