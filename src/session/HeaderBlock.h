#pragma once

#include <QByteArray>

// The header block of a raw message, made readable the way mail programs read it: the first
// line that is neither a header field ("name:") nor a continuation of one starts the body, even
// without the empty line that should come before it, and NUL bytes in the header block are
// dropped (they would end a header value early).
class HeaderBlock
{
public:
    // `raw` with an empty line put where such a body starts and the header block's NULs removed;
    // `raw` itself (no copy) when it needs neither.
    static QByteArray repaired(const QByteArray &raw);
};
