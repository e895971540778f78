#include "ClipboardTexts.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// Every ticked row's cells, each padded to its column's width and closed by `separator`.
std::optional<QString> AlignedText(const ExportTable &table, const QString &separator)
{
    if (table.rowCount() == 0)
        return std::nullopt;
    const QList<qsizetype> widths = ColumnWidths(table);
    QString text;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (!table.isTicked(row))
            continue;
        for (qsizetype column = 0; column < table.columnCount(); ++column) {
            const QString cell = table.cell(row, column);
            text += cell;
            text +=
                QString(std::max<qsizetype>(widths.at(column) - cell.size(), 0), QLatin1Char(' '));
            text += separator;
        }
        text += LineEnd;
    }
    return text;
}

} // namespace

std::optional<QString> ClipboardTextEnter(const ExportTable &table)
{
    if (table.rowCount() == 0)
        return std::nullopt;
    QString text;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (table.isTicked(row)) {
            text += table.cell(row, 0);
            text += LineEnd;
        }
    }
    return text;
}

std::optional<QString> ClipboardTextSpace(const ExportTable &table)
{
    return AlignedText(table, QStringLiteral("     "));
}

std::optional<QString> ClipboardTextTab(const ExportTable &table)
{
    return AlignedText(table, QStringLiteral("\t"));
}

QList<qsizetype> ColumnWidths(const ExportTable &table)
{
    QList<qsizetype> widths;
    for (qsizetype column = 0; column < table.columnCount(); ++column) {
        qsizetype width = 0;
        for (qsizetype row = 0; row < table.rowCount(); ++row)
            width = std::max(width, table.cell(row, column).size());
        widths.append(width);
    }
    return widths;
}

QString SelLengthReportLine(const QString &textSoFar)
{
    return QStringLiteral("SelLength: ") + QString::number(textSoFar.size());
}
