// Mailbox names both ways. A wire name in canonical form must decode to a name that encodes back
// to the very same bytes; any other wire name still decodes (the listing never loses a name) to
// one whose encoding is canonical. Every name, read from the input as UTF-16, must survive
// encode then decode unchanged.

#include "FuzzCheck.h"
#include "MailboxNameCodec.h"
#include "MailboxNameGrammar.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray wire(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString decoded = MailboxNameCodec::decode(wire);
    const QByteArray reencoded = MailboxNameCodec::encode(decoded);
    FUZZ_CHECK(IsCanonicalMailboxWire(reencoded));
    if (IsCanonicalMailboxWire(wire))
        FUZZ_CHECK(reencoded == wire);
    FUZZ_CHECK(MailboxNameCodec::decode(reencoded) == decoded);

    QString name(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(name.data(), data, size_t(name.size()) * sizeof(QChar));
    const QByteArray encoded = MailboxNameCodec::encode(name);
    FUZZ_CHECK(IsCanonicalMailboxWire(encoded));
    FUZZ_CHECK(MailboxNameCodec::decode(encoded) == name);
    return 0;
}
