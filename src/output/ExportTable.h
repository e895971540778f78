#pragma once

#include <QList>
#include <QStringList>

// The rows an export reads: the first column is each row's own text, further columns its
// sub-items; each row is ticked or not. Columns are held whole (implicitly shared, no copying).
class ExportTable
{
public:
    ExportTable(QStringList texts, QList<bool> ticked);

    // A sub-item column; rows it does not reach have empty cells.
    void addColumn(QStringList cells);

    qsizetype rowCount() const { return m_columns.first().size(); }
    qsizetype columnCount() const { return m_columns.size(); }
    QString cell(qsizetype row, qsizetype column) const;
    // A row without a recorded state counts as not ticked.
    bool isTicked(qsizetype row) const { return row < m_ticked.size() && m_ticked.at(row); }

private:
    QList<QStringList> m_columns;
    QList<bool> m_ticked;
};
