#include "ExportTable.h"

ExportTable::ExportTable(QStringList texts, QList<bool> ticked)
    : m_columns {std::move(texts)}, m_ticked(std::move(ticked))
{
}

void ExportTable::addColumn(QStringList cells)
{
    m_columns.append(std::move(cells));
}

QString ExportTable::cell(qsizetype row, qsizetype column) const
{
    const QStringList &cells = m_columns.at(column);
    return row < cells.size() ? cells.at(row) : QString();
}
