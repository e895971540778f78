#include "Utf8Append.h"

#include <QStringEncoder>

void AppendUtf8(QStringView text, QByteArray &out)
{
    // Stateless: a surrogate at the end of one piece is not held back for the next.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    const qsizetype start = out.size();
    out.resize(start + encoder.requiredSpace(text.size()));
    const char *end = encoder.appendToBuffer(out.data() + start, text);
    out.truncate(end - out.constData());
    // The encoder writes U+FFFD for a lone surrogate where QString::toUtf8 writes '?'.
    if (encoder.hasError()) {
        out.truncate(start);
        out += text.toUtf8();
    }
}
