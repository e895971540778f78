#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include "RowTexts.h"

#include <memory>

// "Is this text already a row?" for a list that only grows at its end or is emptied. Rows are
// taken into the index when it is asked, not when they are added, so a run that never asks
// (duplicates shown) pays nothing. A flat open-addressing table of (hash, row) pairs over the
// rows' UTF-8: the texts stay in the list, growing the table never reads them again, and a lookup
// touches one slot run and the matching row, so its cost stays flat however long the list gets.
class RowTextIndex
{
public:
    // True when one of `rows` equals `text`. `rows` must be the list this index has seen so far,
    // possibly with rows added at its end.
    bool contains(const RowTexts &rows, QStringView text);
    void clear();

private:
    struct Slot
    {
        quint32 hash = 0;
        quint32 rowPlusOne = 0; // 0: empty
    };

    struct FreeSlots
    {
        void operator()(Slot *slots) const;
    };
    using Slots = std::unique_ptr<Slot[], FreeSlots>;

    static Slots emptySlots(std::size_t count);
    static quint32 hashOf(QByteArrayView text);
    std::size_t slotOf(const RowTexts &rows, QByteArrayView text, quint32 hash) const;
    void catchUp(const RowTexts &rows);
    void grow();
    void place(quint32 hash, quint32 rowPlusOne);

    Slots m_slots; // m_slotCount of them, a power of two, at most half full
    std::size_t m_slotCount = 0;
    qsizetype m_indexed = 0; // rows[0..m_indexed) are in the index
    qsizetype m_distinct = 0; // occupied slots
    QByteArray m_asked; // the text asked about, as UTF-8
};
