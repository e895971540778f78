#include "JsonLines.h"

#include "Utf8Append.h"

namespace {

// U+2028 and U+2029 are valid JSON but end lines in some readers; they are escaped too.
bool NeedsEscape(char16_t unit)
{
    return unit < 0x20 || unit == u'"' || unit == u'\\' || unit == 0x2028 || unit == 0x2029;
}

void AppendEscape(char16_t unit, QByteArray &out)
{
    switch (unit) {
    case u'"':
        out += "\\\"";
        return;
    case u'\\':
        out += "\\\\";
        return;
    case u'\b':
        out += "\\b";
        return;
    case u'\f':
        out += "\\f";
        return;
    case u'\n':
        out += "\\n";
        return;
    case u'\r':
        out += "\\r";
        return;
    case u'\t':
        out += "\\t";
        return;
    default:
        break;
    }
    static const char hexDigits[] = "0123456789abcdef";
    const char escaped[] = {'\\',
                            'u',
                            hexDigits[(unit >> 12) & 0xf],
                            hexDigits[(unit >> 8) & 0xf],
                            hexDigits[(unit >> 4) & 0xf],
                            hexDigits[unit & 0xf]};
    out.append(escaped, sizeof escaped);
}

// The first unit from `from` on that needs an escape, or the text's size. Whole blocks are
// tested without a branch per unit, so that most rows (nothing to escape) pass at memory speed.
qsizetype NextEscape(QStringView text, qsizetype from)
{
    constexpr qsizetype block = 16;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    qsizetype at = from;
    for (; at + block <= size; at += block) {
        unsigned any = 0;
        for (qsizetype i = 0; i < block; ++i) {
            const char16_t unit = units[at + i];
            any |= unsigned(unit < 0x20) | unsigned(unit == u'"') | unsigned(unit == u'\\')
                | unsigned((unit & 0xFFFE) == 0x2028);
        }
        if (any)
            break;
    }
    while (at < size && !NeedsEscape(units[at]))
        ++at;
    return at;
}

// Runs of characters that need no escape are converted whole.
void AppendJsonString(QStringView text, QByteArray &out)
{
    out += '"';
    qsizetype plainStart = 0;
    for (qsizetype at = NextEscape(text, 0); at < text.size(); at = NextEscape(text, at + 1)) {
        AppendUtf8(text.sliced(plainStart, at - plainStart), out);
        AppendEscape(text[at].unicode(), out);
        plainStart = at + 1;
    }
    AppendUtf8(text.sliced(plainStart), out);
    out += '"';
}

} // namespace

QString JsonString(const QString &text)
{
    QByteArray bytes;
    AppendJsonString(text, bytes);
    return QString::fromUtf8(bytes);
}

QString JsonLinesText(const QStringList &rows)
{
    QByteArray bytes;
    for (const QString &row : rows)
        AppendJsonLine(row, bytes);
    return QString::fromUtf8(bytes);
}

void AppendJsonLine(QStringView text, QByteArray &out)
{
    AppendJsonString(text, out);
    out += '\n';
}
