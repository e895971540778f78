#pragma once

#include "ExportTable.h"

#include <QString>

// The text file: every row's first column as one line ended by CR LF, ticked or not.
QString TextFileContents(const ExportTable &table);
// The comma-delimited file: one single line, every row's first column followed by a comma.
// Values are written unchanged (no quoting).
QString CommaDelimitedContents(const ExportTable &table);

// Writes `text` as UTF-8 to `path`, replacing the file only once everything is written, so a
// failed save leaves an existing file whole (a device or a FIFO is written straight into).
// Returns empty text on success, else the reason.
QString SaveTextFile(const QString &path, const QString &text);
