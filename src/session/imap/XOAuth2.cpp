#include "XOAuth2.h"

#include "ImapCommand.h"
#include "ImapReply.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

bool namesCapability(const QByteArray &text, QByteArrayView capability)
{
    const QList<QByteArray> words = text.simplified().split(' ');
    for (const QByteArray &word : words) {
        if (word.compare(capability, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QByteArray XOAuth2::initialResponse(const QString &user, const QString &accessToken)
{
    const QByteArray plain = "user=" + user.toUtf8()
        + "\x01"
          "auth=Bearer "
        + accessToken.toUtf8() + "\x01\x01";
    return plain.toBase64();
}

ImapCommand XOAuth2::command(const QString &user, const QString &accessToken, bool saslIr)
{
    ImapCommand command("AUTHENTICATE");
    command.arg("XOAUTH2");
    if (saslIr)
        command.arg(initialResponse(user, accessToken));
    else
        command.afterContinuation(initialResponse(user, accessToken));
    command.sensitive();
    return command;
}

bool XOAuth2::offersSaslIr(const ImapReply &reply)
{
    if (reply.completion.code.toUpper().startsWith("CAPABILITY ")
        && namesCapability(reply.completion.code, "SASL-IR"))
        return true;
    for (const ImapResponse &response : reply.untagged) {
        if (response.name == "CAPABILITY" && namesCapability(response.raw, "SASL-IR"))
            return true;
    }
    return false;
}

QString XOAuth2::errorReason(const QByteArray &continuationText)
{
    if (continuationText.trimmed().isEmpty())
        return QStringLiteral("the token was refused");
    const QByteArray decoded = QByteArray::fromBase64(continuationText.trimmed());
    const QJsonObject error = QJsonDocument::fromJson(decoded).object();
    if (error.isEmpty())
        return QString::fromUtf8(continuationText.trimmed());
    QStringList parts;
    for (auto it = error.begin(); it != error.end(); ++it) {
        const QString value =
            it.value().isString() ? it.value().toString() : QString::number(it.value().toDouble());
        parts.append(QStringLiteral("%1 %2").arg(it.key(), value));
    }
    return QStringLiteral("the token was refused (%1)").arg(parts.join(QStringLiteral(", ")));
}
