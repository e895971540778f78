#pragma once

#include <QByteArray>

#include <optional>

// Cuts the byte stream from the server into whole replies. A line ending in {n} announces a
// literal: the next n bytes belong to the same reply whatever they contain. Knows nothing of
// tokens; ImapResponse::parse reads the replies it delivers.
class ImapResponseFramer
{
public:
    void append(const QByteArray &bytes);

    // The next complete reply (literals inline, final CR LF removed), or nullopt until more bytes
    // arrive. Throws ImapLimitError when a line, a literal or a whole reply exceeds ImapLimits.
    std::optional<QByteArray> takeResponse();

    // Progress of the literal being received: bytes so far and announced size (0 and 0 outside).
    qint64 literalReceived() const;
    qint64 literalSize() const { return m_literalEnd < 0 ? 0 : m_literalSize; }

    // Every byte appended plus the sizes of the literals announced, however far they arrived:
    // the bytes known to be on their way. Never reset.
    qint64 bytesSeenOrAnnounced() const { return m_seenOrAnnounced; }

    // Bytes held that do not yet form a complete reply.
    qsizetype pendingBytes() const { return m_buffer.size() - m_start; }

    void clear();
    // Every byte held past the replies taken so far; the framer is empty afterwards.
    QByteArray takeUnframed();

private:
    void enterLiteral(qsizetype lineEnd, qint64 size);
    QByteArray takeUpTo(qsizetype lineEnd);
    void checkLineLength(qsizetype lineEnd) const;
    void compact();
    void makeRoomFor(qint64 end);

    QByteArray m_buffer;
    qsizetype m_start = 0; // first byte of the reply being assembled
    qsizetype m_segment = 0; // first byte after the last literal of that reply
    qsizetype m_scan = 0; // where the search for CR LF resumes
    qint64 m_literalEnd = -1; // end of the literal being received; -1 outside a literal
    qint64 m_literalSize = 0;
    qint64 m_seenOrAnnounced = 0;
};
