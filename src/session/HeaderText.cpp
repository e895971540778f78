#include "HeaderText.h"

#include <gmime/gmime.h>

#include <optional>

namespace {

struct EncodedWord
{
    qsizetype begin = 0;
    qsizetype end = 0; // one past the closing "?="
    QByteArray charset;
    QByteArray bytes; // the decoded octets, still in `charset`
};

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

QByteArray qDecoded(const QByteArray &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '_') {
            bytes += ' ';
        } else if (c == '=' && i + 2 < text.size() && isHexDigit(text.at(i + 1))
                   && isHexDigit(text.at(i + 2))) {
            bytes += QByteArray::fromHex(text.mid(i + 1, 2));
            i += 2;
        } else {
            bytes += c;
        }
    }
    return bytes;
}

// The encoded-word "=?charset?B|Q?text?=" starting at `begin`, if one does.
std::optional<EncodedWord> wordAt(const QByteArray &value, qsizetype begin)
{
    if (!value.mid(begin, 2).startsWith("=?"))
        return std::nullopt;
    const qsizetype charsetEnd = value.indexOf('?', begin + 2);
    if (charsetEnd < 0 || charsetEnd + 2 >= value.size() || value.at(charsetEnd + 2) != '?')
        return std::nullopt;
    const char encoding = char(value.at(charsetEnd + 1) | 0x20);
    const qsizetype textBegin = charsetEnd + 3;
    const qsizetype textEnd = value.indexOf("?=", textBegin);
    if (charsetEnd == begin + 2 || textEnd < 0 || (encoding != 'b' && encoding != 'q'))
        return std::nullopt;
    const QByteArray text = value.mid(textBegin, textEnd - textBegin);
    if (text.contains(' ') || text.contains('\t') || text.contains('\n'))
        return std::nullopt;
    EncodedWord word;
    word.begin = begin;
    word.end = textEnd + 2;
    word.charset = value.mid(begin + 2, charsetEnd - begin - 2);
    word.bytes = encoding == 'b' ? QByteArray::fromBase64(text) : qDecoded(text);
    return word;
}

qsizetype skipWhitespace(const QByteArray &value, qsizetype from)
{
    while (from < value.size()
           && (value.at(from) == ' ' || value.at(from) == '\t' || value.at(from) == '\r'
               || value.at(from) == '\n'))
        ++from;
    return from;
}

// Charsets in which a 0 byte can be part of a character rather than a NUL.
bool isWideCharset(const QByteArray &charset)
{
    const QByteArray upper = charset.toUpper();
    return upper.contains("16") || upper.contains("32") || upper.contains("UCS");
}

bool sameCharset(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The words following `first` across whitespace alone, in the same charset, joined into it.
EncodedWord joinedRun(const QByteArray &value, EncodedWord first, int &count)
{
    count = 1;
    for (;;) {
        const std::optional<EncodedWord> next = wordAt(value, skipWhitespace(value, first.end));
        if (!next || !sameCharset(next->charset, first.charset))
            return first;
        first.bytes += next->bytes;
        first.end = next->end;
        ++count;
    }
}

} // namespace

QByteArray HeaderText::withAdjacentWordsJoined(const QByteArray &rawValue)
{
    if (!rawValue.contains("?="))
        return rawValue; // the usual case: no encoded-word at all
    QByteArray result;
    qsizetype copied = 0;
    for (qsizetype at = rawValue.indexOf("=?"); at >= 0; at = rawValue.indexOf("=?", at)) {
        const std::optional<EncodedWord> word = wordAt(rawValue, at);
        if (!word) {
            at += 2;
            continue;
        }
        int count = 0;
        const EncodedWord run = joinedRun(rawValue, *word, count);
        // GMime's decoded text would also end at an encoded NUL, so such a word is rewritten too.
        const bool hasNul = run.bytes.contains('\0') && !isWideCharset(run.charset);
        if (count > 1 || hasNul) {
            result += rawValue.mid(copied, run.begin - copied);
            const QByteArray bytes = hasNul ? QByteArray(run.bytes).replace('\0', "") : run.bytes;
            result += "=?" + run.charset + "?b?" + bytes.toBase64() + "?=";
            copied = run.end;
        }
        at = run.end;
    }
    if (copied == 0)
        return rawValue;
    result += rawValue.mid(copied);
    return result;
}

QString HeaderText::decode(const QByteArray &rawValue, GMimeParserOptions *options)
{
    if (rawValue.isEmpty())
        return {};
    char *unfolded = g_mime_utils_header_unfold(withAdjacentWordsJoined(rawValue).constData());
    char *decoded = g_mime_utils_header_decode_text(options, unfolded);
    g_free(unfolded);
    QString text = QString::fromUtf8(decoded);
    g_free(decoded);
    return text;
}
