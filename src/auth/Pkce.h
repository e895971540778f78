#pragma once

#include <QByteArray>

// Proof Key for Code Exchange (RFC 7636) with the S256 method, and the random texts the flow
// needs (verifier, state).
class Pkce
{
public:
    // 43 to 128 characters from the unreserved set; `bytes` random bytes in base64url.
    static QByteArray randomText(int bytes = 32);
    // base64url(SHA-256(verifier)) without padding.
    static QByteArray challenge(const QByteArray &verifier);
};
