#include "TokenEndpointError.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>

TokenEndpointError TokenEndpointError::fromReply(QNetworkReply *reply)
{
    if (reply->error() == QNetworkReply::NoError)
        return {};
    const QJsonObject body = QJsonDocument::fromJson(reply->readAll()).object();
    TokenEndpointError error;
    error.code = body.value(QLatin1String("error")).toString();
    error.description = body.value(QLatin1String("error_description")).toString();
    if (error.code.isEmpty() && error.description.isEmpty())
        error.description = reply->errorString();
    return error;
}

QString TokenEndpointError::text() const
{
    if (needsNewSignIn())
        return QStringLiteral("Google no longer accepts the saved sign-in (%1): sign in with "
                              "Google again.")
            .arg(description.isEmpty() ? code : description);
    if (code.isEmpty())
        return QStringLiteral("The token endpoint could not be reached: %1").arg(description);
    if (description.isEmpty())
        return QStringLiteral("The token endpoint refused the request: %1").arg(code);
    return QStringLiteral("The token endpoint refused the request: %1 (%2)").arg(code, description);
}

QString TokenEndpointError::reason() const
{
    if (code.isEmpty() || description.isEmpty())
        return code.isEmpty() ? description : code;
    return QStringLiteral("%1 (%2)").arg(code, description);
}
