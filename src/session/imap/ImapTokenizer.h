#pragma once

#include "ImapValue.h"

#include <QByteArray>

#include <optional>

// Reads the tokens of one complete reply (literals inline, as the framer delivers them). Every
// function starts at `pos`, moves it past what it read and throws ImapParseError on bad input.
// No I/O happens here.
namespace ImapTokenizer {

bool atEnd(const QByteArray &data, qsizetype pos);
// One or more spaces; throws when there is none.
void skipSpaces(const QByteArray &data, qsizetype &pos);
// Skips spaces if any; returns whether it skipped something.
bool trySkipSpaces(const QByteArray &data, qsizetype &pos);

// An atom: anything up to a space, a parenthesis, a quote, a brace or a control character. A
// bracketed section ("BODY[HEADER.FIELDS (FROM)]") stays inside the atom.
QByteArray readAtom(const QByteArray &data, qsizetype &pos);
// A non-negative decimal number that fits in 63 bits.
qint64 readNumber(const QByteArray &data, qsizetype &pos);
// "..." with \" and \\ as the only escapes.
QByteArray readQuoted(const QByteArray &data, qsizetype &pos);
// {n} CR LF followed by n bytes.
QByteArray readLiteral(const QByteArray &data, qsizetype &pos);
// A quoted string or a literal.
QByteArray readString(const QByteArray &data, qsizetype &pos);
// An atom, a quoted string or a literal.
QByteArray readAstring(const QByteArray &data, qsizetype &pos);
// A string or NIL (nullopt).
std::optional<QByteArray> readNString(const QByteArray &data, qsizetype &pos);
// A parenthesised list; `depth` counts the lists already open around it.
QList<ImapValue> readList(const QByteArray &data, qsizetype &pos, int depth = 0);
// Any value: NIL, atom, string or list.
ImapValue readValue(const QByteArray &data, qsizetype &pos, int depth = 0);
// Everything up to the end of the reply.
QByteArray readRest(const QByteArray &data, qsizetype &pos);

} // namespace ImapTokenizer
