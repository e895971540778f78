#pragma once

#include <QString>
#include <QUrl>

// The user's own OAuth client (a "Desktop app" client ID, and its secret, which such clients
// get but cannot keep secret) and the provider's two endpoints. The program ships no client ID.
struct OAuthClient
{
    QString clientId;
    QString clientSecret;
    QUrl authorizationUrl;
    QUrl tokenUrl;

    static constexpr auto scope = "https://mail.google.com/";

    bool isConfigured() const { return !clientId.isEmpty(); }

    // Client ID and secret from the settings; Google's endpoints unless TESSALINE_OAUTH_AUTH_URL
    // or TESSALINE_OAUTH_TOKEN_URL name others (the tests' stand-in).
    static OAuthClient fromSettings();
    // Keeps the client ID and secret (not treated as secrets: a desktop client's secret is not).
    static void saveToSettings(const QString &clientId, const QString &clientSecret);
};
