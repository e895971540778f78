#pragma once

#include <QByteArray>

// An independent reading of the mailbox-name wire form, used as the fuzzer's oracle: true when
// `wire` is exactly what a correct encoder produces for some name. Printable ASCII other than "&"
// stands for itself; "&-" is "&"; "&...-" holds modified base64 of UTF-16 units that are not
// printable ASCII, with zero padding bits, and never follows another such run directly.
bool IsCanonicalMailboxWire(const QByteArray &wire);
