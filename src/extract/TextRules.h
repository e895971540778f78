#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The body's lines: split at every CR LF pair only, empty pieces kept; an empty body has none.
QStringList BodyLines(const QString &body);
// The same lines as views into `body`, which must outlive them.
QList<QStringView> BodyLineViews(const QString &body);

// Lower case, one UTF-16 unit for one, so positions in the result are positions in `text`.
QString LowerCaseSameLength(QStringView text);

// The modes' containment rule: `search` occurs in `text` with letter case ignored. An empty
// search text is in every non-empty text; an empty text contains nothing.
bool ContainsText(QStringView text, QStringView search);
