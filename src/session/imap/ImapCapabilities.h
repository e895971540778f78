#pragma once

#include "ImapReply.h"

#include <QByteArrayList>

// What a server says it can do, read from a greeting or a reply.
class ImapCapabilities
{
public:
    // The capabilities a reply lists, in its completion's code or in CAPABILITY lines; upper case.
    static QByteArrayList in(const ImapReply &reply);
    static bool offerCompression(const ImapReply &reply);
};
