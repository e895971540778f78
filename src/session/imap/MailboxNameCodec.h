#pragma once

#include <QByteArray>
#include <QString>

// Mailbox names on the wire: RFC 3501 modified UTF-7. Printable ASCII stands for itself ("&" is
// "&-"); every other run of characters is "&", its UTF-16 in base64 with "," for "/", and "-".
class MailboxNameCodec
{
public:
    static QByteArray encode(const QString &name);
    // Lenient: a malformed "&...-" run stays as written, and raw 8-bit bytes are read as UTF-8,
    // so a listing never loses a name.
    static QString decode(const QByteArray &wire);
};
