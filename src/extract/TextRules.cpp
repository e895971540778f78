#include "TextRules.h"

QStringList BodyLines(const QString &body)
{
    if (body.isEmpty())
        return {};
    return body.split(QStringLiteral("\r\n"), Qt::KeepEmptyParts);
}

// Looks for CR alone (a vectorised single-character search) and checks the LF after it; a
// two-character separator goes through the general substring search, several times slower.
QList<QStringView> BodyLineViews(const QString &body)
{
    QList<QStringView> lines;
    if (body.isEmpty())
        return lines;
    const QStringView text(body);
    qsizetype lineStart = 0;
    for (qsizetype at = text.indexOf(u'\r'); at >= 0; at = text.indexOf(u'\r', at + 1)) {
        if (at + 1 < text.size() && text[at + 1] == u'\n') {
            lines.append(text.sliced(lineStart, at - lineStart));
            lineStart = at + 2;
            ++at;
        }
    }
    lines.append(text.sliced(lineStart));
    return lines;
}

QString LowerCaseSameLength(QStringView text)
{
    // QString::toLower may lengthen a text (a dotted capital I becomes two units); marker
    // positions found in the lowered text must stay valid in the original.
    QString lowered(text.size(), Qt::Uninitialized);
    QChar *out = lowered.data();
    const QChar *in = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (in[i].isHighSurrogate() && i + 1 < size && in[i + 1].isLowSurrogate()) {
            const char32_t lower = QChar::toLower(QChar::surrogateToUcs4(in[i], in[i + 1]));
            if (QChar::requiresSurrogates(lower)) {
                out[i] = QChar(QChar::highSurrogate(lower));
                out[i + 1] = QChar(QChar::lowSurrogate(lower));
            } else {
                out[i] = in[i];
                out[i + 1] = in[i + 1];
            }
            ++i;
        } else {
            out[i] = in[i].toLower();
        }
    }
    return lowered;
}

bool ContainsText(QStringView text, QStringView search)
{
    if (text.isEmpty())
        return false;
    return LowerCaseSameLength(text).contains(LowerCaseSameLength(search));
}
