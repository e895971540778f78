#include "JsonLines.h"

#include "Utf8Append.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first unit from `from` on that needs an escape, or the text's size. Most rows have nothing
// to escape: eight units are tested at once where the processor allows it.
qsizetype NextEscape(QStringView text, qsizetype from)
{
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    qsizetype at = from;
#if defined(__SSE2__)
    const __m128i lastControl = _mm_set1_epi16(0x1F);
    const __m128i quote = _mm_set1_epi16(u'"');
    const __m128i backslash = _mm_set1_epi16(u'\\');
    const __m128i separatorBits = _mm_set1_epi16(short(0xFFFE));
    const __m128i separators = _mm_set1_epi16(0x2028); // and 0x2029
    for (; at + 8 <= size; at += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + at));
        const __m128i control =
            _mm_cmpeq_epi16(_mm_subs_epu16(eight, lastControl), _mm_setzero_si128());
        const __m128i marks =
            _mm_or_si128(_mm_cmpeq_epi16(eight, quote), _mm_cmpeq_epi16(eight, backslash));
        const __m128i separator = _mm_cmpeq_epi16(_mm_and_si128(eight, separatorBits), separators);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(control, marks), separator)) != 0)
            break;
    }
#endif
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
