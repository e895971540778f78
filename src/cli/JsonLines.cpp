#include "JsonLines.h"

namespace {

void AppendEscaped(QChar character, QString &out)
{
    switch (character.unicode()) {
    case u'"':
        out += u"\\\"";
        return;
    case u'\\':
        out += u"\\\\";
        return;
    case u'\b':
        out += u"\\b";
        return;
    case u'\f':
        out += u"\\f";
        return;
    case u'\n':
        out += u"\\n";
        return;
    case u'\r':
        out += u"\\r";
        return;
    case u'\t':
        out += u"\\t";
        return;
    default:
        break;
    }
    // U+2028 and U+2029 are valid JSON but end lines in some readers; escape them too.
    if (character.unicode() < 0x20 || character.unicode() == 0x2028
        || character.unicode() == 0x2029)
        out += QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
    else
        out += character;
}

} // namespace

QString JsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar character : text)
        AppendEscaped(character, out);
    out += u'"';
    return out;
}

QString JsonLinesText(const QStringList &rows)
{
    QString text;
    for (const QString &row : rows)
        text += JsonString(row) + u'\n';
    return text;
}
