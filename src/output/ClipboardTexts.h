#pragma once

#include "ExportTable.h"

#include <QList>
#include <QString>

#include <optional>

// The three clipboard texts of the result list; only ticked rows are copied. An empty list
// gives no text at all (the clipboard is left alone); rows with none ticked give empty text.

// Each ticked row's first column, then CR LF.
std::optional<QString> ClipboardTextEnter(const ExportTable &table);
// Each cell padded with blanks to its column's width, then five blanks; CR LF after each row.
std::optional<QString> ClipboardTextSpace(const ExportTable &table);
// Each cell padded with blanks to its column's width, then a tab; CR LF after each row.
std::optional<QString> ClipboardTextTab(const ExportTable &table);

// The widest cell of each column over every row, ticked or not.
QList<qsizetype> ColumnWidths(const ExportTable &table);

// The extra line of the line-per-row copy's error report: "SelLength: " and the count.
QString SelLengthReportLine(const QString &textSoFar);
