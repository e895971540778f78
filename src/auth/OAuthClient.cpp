#include "OAuthClient.h"

#include "SettingsStore.h"

namespace {

QUrl endpoint(const char *variable, const char *googleUrl)
{
    const QString overridden = qEnvironmentVariable(variable);
    return QUrl(overridden.isEmpty() ? QString::fromLatin1(googleUrl) : overridden);
}

} // namespace

OAuthClient OAuthClient::fromSettings()
{
    OAuthClient client;
    client.clientId = GetSetting(QStringLiteral("OAuthClientId")).trimmed();
    client.clientSecret = GetSetting(QStringLiteral("OAuthClientSecret")).trimmed();
    client.authorizationUrl =
        endpoint("TESSALINE_OAUTH_AUTH_URL", "https://accounts.google.com/o/oauth2/v2/auth");
    client.tokenUrl = endpoint("TESSALINE_OAUTH_TOKEN_URL", "https://oauth2.googleapis.com/token");
    return client;
}

void OAuthClient::saveToSettings(const QString &clientId, const QString &clientSecret)
{
    SaveSetting(QStringLiteral("OAuthClientId"), clientId.trimmed());
    SaveSetting(QStringLiteral("OAuthClientSecret"), clientSecret.trimmed());
}
