#include "MailboxNameCodec.h"

#include <optional>

namespace {

bool isDirect(char16_t unit)
{
    return unit >= 0x20 && unit <= 0x7e;
}

QByteArray encodeShifted(const QString &run)
{
    QByteArray utf16;
    utf16.reserve(run.size() * 2);
    for (QChar c : run) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xff));
    }
    QByteArray base64 = utf16.toBase64(QByteArray::OmitTrailingEquals);
    base64.replace('/', ',');
    return '&' + base64 + '-';
}

std::optional<QString> decodeShifted(const QByteArray &base64)
{
    for (char c : base64) {
        const bool valid = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
            || (c >= '0' && c <= '9') || c == '+' || c == ',';
        if (!valid)
            return std::nullopt;
    }
    QByteArray standard = base64;
    standard.replace(',', '/');
    const auto decoded =
        QByteArray::fromBase64Encoding(standard, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty() || decoded.decoded.size() % 2 != 0)
        return std::nullopt;
    QString text;
    for (qsizetype i = 0; i < decoded.decoded.size(); i += 2) {
        const auto high = static_cast<unsigned char>(decoded.decoded.at(i));
        const auto low = static_cast<unsigned char>(decoded.decoded.at(i + 1));
        text.append(QChar(char16_t((high << 8) | low)));
    }
    return text;
}

} // namespace

QByteArray MailboxNameCodec::encode(const QString &name)
{
    QByteArray wire;
    QString shifted;
    for (QChar c : name) {
        if (!isDirect(c.unicode())) {
            shifted.append(c);
            continue;
        }
        if (!shifted.isEmpty()) {
            wire += encodeShifted(shifted);
            shifted.clear();
        }
        wire += c == u'&' ? QByteArrayLiteral("&-") : QByteArray(1, char(c.unicode()));
    }
    if (!shifted.isEmpty())
        wire += encodeShifted(shifted);
    return wire;
}

QString MailboxNameCodec::decode(const QByteArray &wire)
{
    QString name;
    QByteArray plain; // bytes read as UTF-8 so that raw 8-bit names survive too
    qsizetype i = 0;
    while (i < wire.size()) {
        const qsizetype dash = wire.at(i) == '&' ? wire.indexOf('-', i + 1) : -1;
        if (dash < 0) {
            plain.append(wire.at(i++));
            continue;
        }
        const std::optional<QString> shifted = dash == i + 1
            ? std::optional<QString>(QStringLiteral("&"))
            : decodeShifted(wire.mid(i + 1, dash - i - 1));
        if (!shifted) {
            plain.append(wire.at(i++));
            continue;
        }
        name += QString::fromUtf8(plain) + *shifted;
        plain.clear();
        i = dash + 1;
    }
    return name + QString::fromUtf8(plain);
}
