#pragma once

#include <QString>

class QDateTime;

// Appends one entry to errorlog.txt in the program folder: the local date and time, " : " and
// `failureText` on one line, then a line of 52 asterisks, each ending in CR LF (UTF-8).
// Never fails towards the caller: a file that cannot be written is simply left alone.
void AppendErrorLog(const QString &failureText);

// The two lines one entry adds, for `failureText` at `when`.
QString ErrorLogEntry(const QDateTime &when, const QString &failureText);
