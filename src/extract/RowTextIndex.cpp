#include "RowTextIndex.h"

#include <QHash>

namespace {

constexpr std::size_t InitialSlots = 1024;

} // namespace

bool RowTextIndex::contains(const QStringList &rows, const QString &text)
{
    catchUp(rows);
    return !m_slots.empty() && m_slots[slotOf(rows, text, hashOf(text))].rowPlusOne != 0;
}

void RowTextIndex::clear()
{
    m_slots = {};
    m_indexed = 0;
    m_distinct = 0;
}

quint32 RowTextIndex::hashOf(const QString &text)
{
    const quint64 hash = qHash(text, QHashSeed::globalSeed());
    return quint32(hash ^ (hash >> 32));
}

// The slot that holds a row equal to `text`, or else the empty slot where it would go.
std::size_t RowTextIndex::slotOf(const QStringList &rows, const QString &text, quint32 hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    for (;; at = (at + 1) & mask) {
        const Slot &slot = m_slots[at];
        if (slot.rowPlusOne == 0 || (slot.hash == hash && rows.at(slot.rowPlusOne - 1) == text))
            return at;
    }
}

// Only the first of equal rows is indexed: repeated texts (empty lines, say) never lengthen a
// slot run.
void RowTextIndex::catchUp(const QStringList &rows)
{
    for (; m_indexed < rows.size(); ++m_indexed) {
        if (std::size_t(m_distinct + 1) * 2 > m_slots.size())
            grow();
        const QString &text = rows.at(m_indexed);
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
    std::vector<Slot> old(std::max(InitialSlots, m_slots.size() * 2));
    old.swap(m_slots);
    for (const Slot &slot : old) {
        if (slot.rowPlusOne != 0)
            place(slot.hash, slot.rowPlusOne);
    }
}

void RowTextIndex::place(quint32 hash, quint32 rowPlusOne)
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].rowPlusOne != 0)
        at = (at + 1) & mask;
    m_slots[at] = {hash, rowPlusOne};
}
