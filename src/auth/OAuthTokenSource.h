#pragma once

#include "OAuthClient.h"
#include "OAuthTokens.h"

#include <QString>

#include <optional>

class SecretStore;

// Hands out an access token for one user at every sign-in: the one it holds while it is fresh,
// else a new one from the token endpoint for the refresh token kept in the secret store.
class OAuthTokenSource
{
public:
    OAuthTokenSource(OAuthClient client, QString user, SecretStore &secrets);

    const QString &user() const { return m_user; }
    // A usable access token; nullopt with `problem` when none can be had (no saved sign-in,
    // a refresh the endpoint refused: "sign in with Google again", no answer in time).
    std::optional<QString> accessToken(QString *problem);
    // After a sign-in in the browser: keeps the access token, and the refresh token in the
    // secret store. False with `notice` when the store only keeps it for this session.
    bool accept(const OAuthTokens &tokens, QString *notice);
    // A token supplied from outside (the command line): used as it is and never refreshed.
    void useFixedAccessToken(const QString &token);
    bool hasSavedSignIn();

    void setRefreshTimeoutMs(int timeoutMs) { m_refreshTimeoutMs = timeoutMs; }

private:
    std::optional<OAuthTokens> refresh(const QString &refreshToken, QString *problem);

    OAuthClient m_client;
    QString m_user;
    SecretStore &m_secrets;
    OAuthTokens m_current;
    bool m_fixed = false;
    int m_refreshTimeoutMs = 30000;
};
