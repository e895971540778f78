#include "ControlText.h"

namespace {

bool isLineBreak(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

// Characters that change how a terminal or a label shows the text around them: C0 and C1
// controls, DEL, the line and paragraph separators and the bidirectional overrides.
bool isControl(char16_t c)
{
    if (c < 0x20 || (c >= 0x7f && c <= 0x9f))
        return true;
    return c == 0x2028 || c == 0x2029 || (c >= 0x202a && c <= 0x202e)
        || (c >= 0x2066 && c <= 0x2069) || c == 0x200e || c == 0x200f || c == 0x061c;
}

QString escaped(char16_t c)
{
    const bool byte = c <= 0xff;
    const QString digits =
        QString::number(uint(c), 16).toUpper().rightJustified(byte ? 2 : 4, QLatin1Char('0'));
    return (byte ? QStringLiteral("\\x") : QStringLiteral("\\u")) + digits;
}

} // namespace

QString EscapeControlCharacters(const QString &text, LineBreaks lineBreaks)
{
    QString result;
    result.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        const bool kept = lineBreaks == LineBreaks::Kept && (isLineBreak(c) || c == u'\t');
        if (isControl(c) && !kept)
            result += escaped(c);
        else
            result += ch;
    }
    return result;
}
