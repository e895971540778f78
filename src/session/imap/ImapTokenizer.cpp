#include "ImapTokenizer.h"

#include "ImapLimits.h"
#include "ImapParseError.h"

#include <limits>
#include <string>

namespace ImapTokenizer {

namespace {

[[noreturn]] void fail(const std::string &what, const QByteArray &data, qsizetype pos)
{
    throw ImapParseError(what, data, pos);
}

bool isAtomChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f)
        return false;
    return c != ' ' && c != '(' && c != ')' && c != '{' && c != '"';
}

// The position just past the ']' closing a section that opens at `pos`, or -1.
qsizetype sectionEnd(const QByteArray &data, qsizetype pos)
{
    for (qsizetype i = pos + 1; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c == ']')
            return i + 1;
        if (c == '\r' || c == '\n' || c == '[')
            return -1;
    }
    return -1;
}

} // namespace

bool atEnd(const QByteArray &data, qsizetype pos)
{
    return pos >= data.size();
}

bool trySkipSpaces(const QByteArray &data, qsizetype &pos)
{
    const qsizetype start = pos;
    while (pos < data.size() && data.at(pos) == ' ')
        ++pos;
    return pos > start;
}

void skipSpaces(const QByteArray &data, qsizetype &pos)
{
    if (!trySkipSpaces(data, pos))
        fail("expected a space", data, pos);
}

QByteArray readAtom(const QByteArray &data, qsizetype &pos)
{
    const qsizetype start = pos;
    while (pos < data.size()) {
        const char c = data.at(pos);
        if (c == '[') {
            const qsizetype end = sectionEnd(data, pos);
            if (end > 0) {
                pos = end;
                continue;
            }
        }
        if (!isAtomChar(c))
            break;
        ++pos;
    }
    if (pos == start)
        fail("expected an atom", data, pos);
    return data.mid(start, pos - start);
}

qint64 readNumber(const QByteArray &data, qsizetype &pos)
{
    const qsizetype start = pos;
    qint64 number = 0;
    while (pos < data.size() && data.at(pos) >= '0' && data.at(pos) <= '9') {
        if (number > (std::numeric_limits<qint64>::max() - 9) / 10)
            throw ImapLimitError("number too large", data, start);
        number = number * 10 + (data.at(pos) - '0');
        ++pos;
    }
    if (pos == start)
        fail("expected a number", data, pos);
    return number;
}

QByteArray readQuoted(const QByteArray &data, qsizetype &pos)
{
    if (atEnd(data, pos) || data.at(pos) != '"')
        fail("expected a quoted string", data, pos);
    const qsizetype start = pos;
    ++pos;
    QByteArray text;
    while (pos < data.size()) {
        const char c = data.at(pos++);
        if (c == '"')
            return text;
        if (c == '\r' || c == '\n')
            fail("line break inside a quoted string", data, pos - 1);
        if (c == '\\') {
            if (atEnd(data, pos) || (data.at(pos) != '"' && data.at(pos) != '\\'))
                fail("invalid escape in a quoted string", data, pos);
            text.append(data.at(pos++));
            continue;
        }
        text.append(c);
    }
    fail("unterminated quoted string", data, start);
}

QByteArray readLiteral(const QByteArray &data, qsizetype &pos)
{
    if (atEnd(data, pos) || data.at(pos) != '{')
        fail("expected a literal", data, pos);
    const qsizetype start = pos;
    ++pos;
    const qint64 size = readNumber(data, pos);
    if (atEnd(data, pos) || data.at(pos) != '}')
        fail("expected '}' after the literal size", data, pos);
    ++pos;
    if (data.mid(pos, 2) != "\r\n")
        fail("expected CR LF after the literal size", data, pos);
    pos += 2;
    if (size > ImapLimits::maxLiteralBytes)
        throw ImapLimitError("literal larger than the limit", data, start);
    if (size > data.size() - pos)
        fail("literal runs past the end of the reply", data, start);
    const QByteArray bytes = data.mid(pos, size);
    pos += size;
    return bytes;
}

QByteArray readString(const QByteArray &data, qsizetype &pos)
{
    if (!atEnd(data, pos) && data.at(pos) == '{')
        return readLiteral(data, pos);
    return readQuoted(data, pos);
}

QByteArray readAstring(const QByteArray &data, qsizetype &pos)
{
    if (!atEnd(data, pos) && (data.at(pos) == '{' || data.at(pos) == '"'))
        return readString(data, pos);
    return readAtom(data, pos);
}

std::optional<QByteArray> readNString(const QByteArray &data, qsizetype &pos)
{
    if (!atEnd(data, pos) && (data.at(pos) == '{' || data.at(pos) == '"'))
        return readString(data, pos);
    const qsizetype start = pos;
    if (readAtom(data, pos).toUpper() != "NIL")
        fail("expected a string or NIL", data, start);
    return std::nullopt;
}

QList<ImapValue> readList(const QByteArray &data, qsizetype &pos, int depth)
{
    if (atEnd(data, pos) || data.at(pos) != '(')
        fail("expected '('", data, pos);
    if (depth >= ImapLimits::maxNestingDepth)
        throw ImapLimitError("lists nested too deeply", data, pos);
    const qsizetype start = pos;
    ++pos;
    QList<ImapValue> items;
    while (true) {
        trySkipSpaces(data, pos);
        if (atEnd(data, pos))
            fail("unterminated list", data, start);
        if (data.at(pos) == ')') {
            ++pos;
            return items;
        }
        items.append(readValue(data, pos, depth + 1));
    }
}

ImapValue readValue(const QByteArray &data, qsizetype &pos, int depth)
{
    if (atEnd(data, pos))
        fail("expected a value", data, pos);
    switch (data.at(pos)) {
    case '(':
        return ImapValue::list(readList(data, pos, depth));
    case '"':
        return ImapValue::string(readQuoted(data, pos));
    case '{':
        return ImapValue::string(readLiteral(data, pos));
    default:
        break;
    }
    const QByteArray atom = readAtom(data, pos);
    if (atom.toUpper() == "NIL")
        return ImapValue::nil();
    return ImapValue::atom(atom);
}

QByteArray readRest(const QByteArray &data, qsizetype &pos)
{
    const QByteArray rest = data.mid(pos);
    pos = data.size();
    return rest;
}

} // namespace ImapTokenizer
