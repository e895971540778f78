#include "ExportTable.h"

ExportTable::ExportTable(QStringList texts, QList<bool> ticked)
    : m_rowCount(texts.size()),
      m_text([texts = std::move(texts)](qsizetype row) { return texts.at(row); }),
      m_ticked(std::move(ticked))
{
}

ExportTable::ExportTable(qsizetype rowCount, RowText text, QList<bool> ticked)
    : m_rowCount(rowCount), m_text(std::move(text)), m_ticked(std::move(ticked))
{
}

void ExportTable::addColumn(QStringList cells)
{
    m_subItems.append(std::move(cells));
}

QString ExportTable::cell(qsizetype row, qsizetype column) const
{
    if (column == 0)
        return m_text(row);
    const QStringList &cells = m_subItems.at(column - 1);
    return row < cells.size() ? cells.at(row) : QString();
}
