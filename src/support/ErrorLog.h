#pragma once

#include <QString>

class QDateTime;

// Appends one entry to errorlog.txt (ErrorLogPath()): the local date and time, " : " and
// `failureText` on one line, then a line of 52 asterisks, each ending in CR LF (UTF-8).
// Never fails towards the caller: a file that cannot be written is simply left alone.
void AppendErrorLog(const QString &failureText);

// errorlog.txt in the program folder when the program runs from a folder it can write to;
// otherwise, and always once installed, in the per-user data folder (AppLocalDataLocation).
QString ErrorLogPath();

// The two lines one entry adds, for `failureText` at `when`.
QString ErrorLogEntry(const QDateTime &when, const QString &failureText);
