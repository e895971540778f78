#pragma once

#include <QString>
#include <QStringList>

// Whether anything (file or folder) exists at `path`. Never throws.
bool FileExists(const QString &path) noexcept;

// The lines of a text file without their line ends (LF or CR LF). An empty file gives one empty
// line. Text is read as UTF-8; a file that is not valid UTF-8 is read as Windows-1252 so older
// files keep their accented letters. Throws StepFailure when the file cannot be read.
QStringList ReadTextFileLines(const QString &path);

// Tidies a path's doubled backslashes: each pair becomes one, scanning once from the left. A path
// that starts with any number of backslashes comes back starting with exactly two, which keeps
// network share paths intact.
QString CollapseBackslashes(const QString &path);
