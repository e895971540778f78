#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// The texts of a list of rows, each held once: UTF-8 in blocks that are filled and never moved,
// and per row only where its bytes are. A row that is a piece of the text appended just before
// it (a body line after its body) points into that text's bytes instead of taking a copy.
// Texts are read back by row (text()) or as bytes (bytes()) for comparing without decoding.
class RowTexts
{
public:
    RowTexts() = default;
    RowTexts(const RowTexts &) = delete;
    RowTexts &operator=(const RowTexts &) = delete;

    void append(const QString &text);
    // `part` is usually a piece of the text appended last; otherwise it is copied like any row.
    void appendPart(QStringView part);
    void clear();

    qsizetype size() const { return m_size; }
    QString text(qsizetype row) const;
    QByteArrayView bytes(qsizetype row) const;

    // `text` as the UTF-8 the rows are held in, written into `buffer`.
    static QByteArrayView encode(QStringView text, QByteArray &buffer);

    // UTF-8 bytes written for the rows' texts; a row pointing into another's text adds none.
    qsizetype textBytes() const { return m_textBytes; }

private:
    struct Span
    {
        quint32 block;
        quint32 offset;
        quint32 length;
    };
    // What the list keeps until it is cleared lives on pages of its own, not on the heap.
    struct ReturnPages
    {
        std::size_t bytes = 0;
        void operator()(void *memory) const;
    };
    template<typename T> using Pages = std::unique_ptr<T[], ReturnPages>;
    template<typename T> static Pages<T> takePages(std::size_t count);
    template<typename T>
    static Pages<T> reuseOrTake(std::vector<Pages<T>> &spare, std::size_t count);
    static void giveBackLazily(void *memory, std::size_t bytes);

    struct Block
    {
        Pages<char> bytes;
        quint32 used = 0;
        quint32 capacity = 0;
    };

    void addSpan(const Span &span);
    const Span &span(qsizetype row) const;
    Span store(QStringView text, qsizetype utf8Length);
    char *room(qsizetype length, quint32 *block);
    bool pointIntoLast(QStringView part);

    std::vector<Block> m_blocks;
    // Fixed-size chunks: the list grows without moving what it holds, so no doubled peak.
    std::vector<Pages<Span>> m_spanChunks;
    // Kept from before the last clear(), for the next rows.
    std::vector<Pages<char>> m_spareBlocks;
    std::vector<Pages<Span>> m_spareSpanChunks;
    qsizetype m_size = 0;
    qsizetype m_openBlock = -1; // the block small texts are written into
    qsizetype m_textBytes = 0;
    // The text appended last while its UTF-8 matches it unit for unit in length (no lone
    // surrogates): parts of it are found by position. Held so its buffer cannot be reused.
    QString m_last;
    bool m_lastAscii = false;
    Span m_lastSpan {};
    qsizetype m_lastUnits = 0; // position in m_last of the end of the part seen last ...
    qsizetype m_lastBytes = 0; // ... and the same position in its UTF-8
};
