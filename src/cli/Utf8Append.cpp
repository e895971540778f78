#include "Utf8Append.h"

void AppendUtf8(QStringView text, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *next = out.data() + start;
    for (const QChar character : text) {
        if (character.unicode() >= 0x80) {
            out.truncate(start);
            out += text.toUtf8();
            return;
        }
        *next++ = char(character.unicode());
    }
}
