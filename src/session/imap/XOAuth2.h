#pragma once

#include "ImapCommand.h"

#include <QByteArray>
#include <QString>

struct ImapReply;

// AUTHENTICATE XOAUTH2: the bearer token the mail provider's OAuth 2.0 endpoint issued, sent
// with the user name as one base64 SASL response.
class XOAuth2
{
public:
    // The command to send. With `saslIr` (the server offers SASL-IR) the response rides on the
    // command line; otherwise it follows the server's empty continuation request.
    static ImapCommand command(const QString &user, const QString &accessToken, bool saslIr);
    // "user=" USER ^A "auth=Bearer " TOKEN ^A ^A, in base64.
    static QByteArray initialResponse(const QString &user, const QString &accessToken);
    // Whether the capability list in `reply` (a greeting's or CAPABILITY's) names SASL-IR.
    static bool offersSaslIr(const ImapReply &reply);
    // The server's error continuation ("+ " base64 JSON) made readable; its raw text when it is
    // not base64 JSON.
    static QString errorReason(const QByteArray &continuationText);
};
