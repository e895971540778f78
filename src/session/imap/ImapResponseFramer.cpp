#include "ImapResponseFramer.h"

#include "ImapLimits.h"
#include "ImapParseError.h"

#include <string>
#include <utility>

namespace {

// The size announced by a "{n}" ending the text in [from, to), or -1 when there is none.
qint64 announcedLiteral(const QByteArray &buffer, qsizetype from, qsizetype to)
{
    if (to <= from || buffer.at(to - 1) != '}')
        return -1;
    qsizetype open = to - 2;
    while (open >= from && buffer.at(open) >= '0' && buffer.at(open) <= '9')
        --open;
    if (open < from || buffer.at(open) != '{' || open == to - 2)
        return -1;
    if (to - 2 - open > 18)
        return std::numeric_limits<qint64>::max();
    return buffer.mid(open + 1, to - 2 - open).toLongLong();
}

// A literal this large gets its reply a buffer of its own (see makeRoomFor and takeUpTo).
constexpr qint64 bigLiteralBytes = qint64(1) << 20;
// What may follow the last literal of a reply within that buffer: the closing text, the tagged
// completion; more only costs a reallocation.
constexpr qint64 replyTailBytes = 64 * 1024;

std::string megabytes(qint64 bytes)
{
    return std::to_string(bytes >> 20) + " MB";
}

} // namespace

void ImapResponseFramer::append(const QByteArray &bytes)
{
    m_buffer.append(bytes);
    m_seenOrAnnounced += bytes.size();
}

std::optional<QByteArray> ImapResponseFramer::takeResponse()
{
    while (true) {
        if (m_literalEnd >= 0) {
            if (m_buffer.size() < m_literalEnd)
                return std::nullopt;
            m_segment = m_scan = m_literalEnd;
            m_literalEnd = -1;
        }
        const qsizetype lineEnd = m_buffer.indexOf("\r\n", m_scan);
        if (lineEnd < 0) {
            checkLineLength(m_buffer.size());
            m_scan = qMax(m_segment, m_buffer.size() - 1);
            return std::nullopt;
        }
        checkLineLength(lineEnd);
        const qint64 literal = announcedLiteral(m_buffer, m_segment, lineEnd);
        if (literal < 0)
            return takeUpTo(lineEnd);
        enterLiteral(lineEnd, literal);
    }
}

void ImapResponseFramer::checkLineLength(qsizetype lineEnd) const
{
    if (lineEnd - m_segment > ImapLimits::maxLineBytes) {
        throw ImapLimitError("reply line longer than " + megabytes(ImapLimits::maxLineBytes),
                             m_buffer.mid(m_segment, 200), lineEnd - m_start);
    }
}

void ImapResponseFramer::enterLiteral(qsizetype lineEnd, qint64 size)
{
    const QByteArray line = m_buffer.mid(m_segment, qMin<qsizetype>(lineEnd - m_segment, 200));
    if (size > ImapLimits::maxLiteralBytes) {
        const std::string announced = size == std::numeric_limits<qint64>::max()
            ? std::string("an impossible number of")
            : std::to_string(size);
        throw ImapLimitError("literal of " + announced + " bytes is larger than "
                                 + megabytes(ImapLimits::maxLiteralBytes),
                             line, lineEnd - m_start);
    }
    const qint64 end = lineEnd + 2 + size;
    if (end - m_start > ImapLimits::maxResponseBytes) {
        throw ImapLimitError("reply larger than " + megabytes(ImapLimits::maxResponseBytes), line,
                             lineEnd - m_start);
    }
    m_literalEnd = end;
    m_literalSize = size;
    m_seenOrAnnounced += size;
    if (size >= bigLiteralBytes)
        makeRoomFor(end);
}

void ImapResponseFramer::makeRoomFor(qint64 end)
{
    // Room for the whole reply at once: growing step by step would leave up to twice the
    // literal allocated. The reply is moved to the front so that it can be handed out whole.
    if (m_start > 0) {
        m_buffer.remove(0, m_start);
        m_segment -= m_start;
        m_scan -= m_start;
        m_literalEnd -= m_start;
        end -= m_start;
        m_start = 0;
    }
    m_buffer.reserve(end + replyTailBytes);
}

QByteArray ImapResponseFramer::takeUpTo(qsizetype lineEnd)
{
    if (m_start == 0 && lineEnd >= bigLiteralBytes) {
        // A reply holding a big literal is handed out in its own buffer, not copied; only what
        // arrived after it is.
        QByteArray response = std::exchange(m_buffer, m_buffer.mid(lineEnd + 2));
        response.truncate(lineEnd);
        m_segment = m_scan = 0;
        return response;
    }
    const QByteArray response = m_buffer.mid(m_start, lineEnd - m_start);
    m_start = m_segment = m_scan = lineEnd + 2;
    compact();
    return response;
}

void ImapResponseFramer::compact()
{
    // Dropping consumed bytes now and then keeps the buffer small without copying per reply.
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
    } else if (m_start < (qsizetype(1) << 16) || m_start < m_buffer.size() / 2) {
        return;
    } else {
        m_buffer.remove(0, m_start);
    }
    m_segment -= m_start;
    m_scan -= m_start;
    m_start = 0;
}

qint64 ImapResponseFramer::literalReceived() const
{
    if (m_literalEnd < 0)
        return 0;
    const qint64 literalStart = m_literalEnd - m_literalSize;
    return qBound<qint64>(0, m_buffer.size() - literalStart, m_literalSize);
}

QByteArray ImapResponseFramer::takeUnframed()
{
    const QByteArray rest = m_buffer.mid(m_start);
    clear();
    return rest;
}

void ImapResponseFramer::clear()
{
    m_buffer.clear();
    m_start = m_segment = m_scan = 0;
    m_literalEnd = -1;
    m_literalSize = 0;
}
