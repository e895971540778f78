#include "MailboxNameGrammar.h"

#include <optional>

namespace {

int sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == ',')
        return 63;
    return -1;
}

bool isPrintable(unsigned value)
{
    return value >= 0x20 && value <= 0x7e;
}

// Checks one shifted run's base64 text (between "&" and "-").
bool isCanonicalRun(const QByteArray &run)
{
    // 16-bit units fill whole sextets only in steps of 8 characters; 1, 2, 4, 5 or 7 left over
    // cannot come from whole units.
    const qsizetype rest = run.size() % 8;
    if (run.isEmpty() || rest == 1 || rest == 2 || rest == 4 || rest == 5 || rest == 7)
        return false;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : run) {
        const int value = sextet(c);
        if (value < 0)
            return false;
        buffer = (buffer << 6) | unsigned(value);
        bits += 6;
        if (bits >= 16) {
            bits -= 16;
            if (isPrintable((buffer >> bits) & 0xffff))
                return false;
            buffer &= (1u << bits) - 1;
        }
    }
    return buffer == 0; // padding bits are zero
}

} // namespace

bool IsCanonicalMailboxWire(const QByteArray &wire)
{
    bool afterRun = false;
    qsizetype i = 0;
    while (i < wire.size()) {
        const auto byte = static_cast<unsigned char>(wire.at(i));
        if (byte != '&') {
            if (!isPrintable(byte))
                return false;
            afterRun = false;
            ++i;
            continue;
        }
        const qsizetype dash = wire.indexOf('-', i + 1);
        if (dash < 0)
            return false;
        if (dash == i + 1) {
            afterRun = false;
        } else {
            if (afterRun || !isCanonicalRun(wire.mid(i + 1, dash - i - 1)))
                return false;
            afterRun = true;
        }
        i = dash + 1;
    }
    return true;
}
