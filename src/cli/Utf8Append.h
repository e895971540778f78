#pragma once

#include <QByteArray>
#include <QStringView>

// Appends `text` to `out` as UTF-8, the same bytes QString::toUtf8 gives, encoded in place
// without a temporary array.
void AppendUtf8(QStringView text, QByteArray &out);
