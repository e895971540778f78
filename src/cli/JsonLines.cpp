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

// Runs of characters that need no escape are converted whole.
void AppendJsonString(QStringView text, QByteArray &out)
{
    out += '"';
    qsizetype plainStart = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at].unicode();
        if (!NeedsEscape(unit))
            continue;
        AppendUtf8(text.sliced(plainStart, at - plainStart), out);
        AppendEscape(unit, out);
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
