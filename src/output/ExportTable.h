#pragma once

#include <QList>
#include <QStringList>

#include <functional>

// The rows an export reads: the first column is each row's own text, further columns its
// sub-items; each row is ticked or not. Columns are held whole (implicitly shared, no copying),
// or the first column is read row by row from where the rows are kept.
class ExportTable
{
public:
    using RowText = std::function<QString(qsizetype row)>;

    ExportTable(QStringList texts, QList<bool> ticked);
    ExportTable(qsizetype rowCount, RowText text, QList<bool> ticked);

    // A sub-item column; rows it does not reach have empty cells.
    void addColumn(QStringList cells);

    qsizetype rowCount() const { return m_rowCount; }
    qsizetype columnCount() const { return 1 + m_subItems.size(); }
    QString cell(qsizetype row, qsizetype column) const;
    // A row without a recorded state counts as not ticked.
    bool isTicked(qsizetype row) const { return row < m_ticked.size() && m_ticked.at(row); }

private:
    qsizetype m_rowCount;
    RowText m_text;
    QList<QStringList> m_subItems;
    QList<bool> m_ticked;
};
