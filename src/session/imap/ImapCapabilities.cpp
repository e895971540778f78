#include "ImapCapabilities.h"

QByteArrayList ImapCapabilities::in(const ImapReply &reply)
{
    QByteArrayList found;
    const auto add = [&found](const QByteArray &text) {
        const QByteArrayList words = text.toUpper().simplified().split(' ');
        if (!words.isEmpty() && words.first() == "CAPABILITY")
            found += words.mid(1);
    };
    add(reply.completion.code);
    for (const ImapResponse &response : reply.untagged) {
        add(response.code);
        if (response.name == "CAPABILITY")
            add(response.raw.mid(2));
    }
    return found;
}

bool ImapCapabilities::offerCompression(const ImapReply &reply)
{
    return in(reply).contains("COMPRESS=DEFLATE");
}
