#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// `text` as one JSON string literal: quotes, backslashes and control characters escaped, every
// other character kept as it is (the output is UTF-8), so a row's line breaks stay inside it.
QString JsonString(const QString &text);

// Each row as a JSON string followed by a line feed.
QString JsonLinesText(const QStringList &rows);

// The UTF-8 bytes of JsonString(text) and a line feed, appended to `out`.
void AppendJsonLine(QStringView text, QByteArray &out);
