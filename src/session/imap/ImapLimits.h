#pragma once

#include <QtGlobal>

// Generous maxima for what the server may send. A reply beyond one of them is refused with a
// clear failure instead of growing memory without bound.
namespace ImapLimits {
// Text of one reply between its literals.
inline constexpr qsizetype maxLineBytes = qsizetype(1) << 20;
// One literal: a whole message part.
inline constexpr qint64 maxLiteralBytes = qint64(64) << 20;
// One reply with all its literals.
inline constexpr qint64 maxResponseBytes = qint64(96) << 20;
// What the untagged replies to one command hold in memory, counted as the bytes stored with the
// containers around them (a two-byte line costs hundreds), checked as each reply is parsed: a
// server that never finishes must not fill memory. A reply is held twice, as received and as its
// parsed values, so twice the largest reply fits.
inline constexpr qint64 maxExchangeBytes = 2 * maxResponseBytes + (qint64(64) << 20);
// What one allocation costs beyond its bytes: the array header and the allocator's own.
inline constexpr qint64 allocationOverheadBytes = 48;
// Parenthesised lists inside lists.
inline constexpr int maxNestingDepth = 64;
} // namespace ImapLimits
