#include "OAuthTokenSource.h"

#include "SecretStore.h"
#include "TokenEndpointError.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QOAuth2AuthorizationCodeFlow>
#include <QOAuthOobReplyHandler>
#include <QTimer>

OAuthTokenSource::OAuthTokenSource(OAuthClient client, QString user, SecretStore &secrets)
    : m_client(std::move(client)), m_user(std::move(user)), m_secrets(secrets)
{
}

std::optional<QString> OAuthTokenSource::accessToken(QString *problem)
{
    if (m_fixed || m_current.isFresh())
        return m_current.accessToken;
    const std::optional<QString> refreshToken =
        m_secrets.read(SecretStore::refreshTokenKey(m_user));
    if (!refreshToken || refreshToken->isEmpty()) {
        *problem = QStringLiteral("There is no saved Google sign-in for %1: sign in with Google "
                                  "first.")
                       .arg(m_user);
        return std::nullopt;
    }
    const std::optional<OAuthTokens> renewed = refresh(*refreshToken, problem);
    if (!renewed)
        return std::nullopt;
    m_current = *renewed;
    if (!renewed->refreshToken.isEmpty() && renewed->refreshToken != *refreshToken)
        m_secrets.write(SecretStore::refreshTokenKey(m_user), renewed->refreshToken);
    return m_current.accessToken;
}

bool OAuthTokenSource::accept(const OAuthTokens &tokens, QString *notice)
{
    m_current = tokens;
    m_fixed = false;
    if (tokens.refreshToken.isEmpty())
        return true;
    const SecretStore::Outcome kept =
        m_secrets.write(SecretStore::refreshTokenKey(m_user), tokens.refreshToken);
    if (kept == SecretStore::Outcome::Stored)
        return true;
    *notice = m_secrets.sessionOnlyNotice();
    return false;
}

void OAuthTokenSource::useFixedAccessToken(const QString &token)
{
    m_current = OAuthTokens {token, {}, {}};
    m_fixed = true;
}

bool OAuthTokenSource::hasSavedSignIn()
{
    const std::optional<QString> saved = m_secrets.read(SecretStore::refreshTokenKey(m_user));
    return saved && !saved->isEmpty();
}

std::optional<OAuthTokens> OAuthTokenSource::refresh(const QString &refreshToken, QString *problem)
{
    QNetworkAccessManager network;
    QOAuth2AuthorizationCodeFlow flow(m_client.clientId, m_client.authorizationUrl,
                                      m_client.tokenUrl, &network);
    flow.setClientIdentifierSharedKey(m_client.clientSecret);
    flow.setReplyHandler(new QOAuthOobReplyHandler(&flow));
    flow.setRefreshToken(refreshToken);

    QEventLoop loop;
    TokenEndpointError refused;
    QObject::connect(&network, &QNetworkAccessManager::finished, &loop, [&](QNetworkReply *reply) {
        refused = TokenEndpointError::fromReply(reply);
        if (refused.isError())
            loop.quit();
    });
    QObject::connect(&flow, &QAbstractOAuth::granted, &loop, &QEventLoop::quit);
    QTimer::singleShot(m_refreshTimeoutMs, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &flow, &QOAuth2AuthorizationCodeFlow::refreshAccessToken);
    loop.exec();

    if (refused.needsNewSignIn())
        m_secrets.remove(SecretStore::refreshTokenKey(m_user)); // it will never work again
    if (refused.isError()) {
        *problem = refused.text();
        return std::nullopt;
    }
    if (flow.status() != QAbstractOAuth::Status::Granted || flow.token().isEmpty()) {
        *problem = QStringLiteral("The token endpoint did not answer in time.");
        return std::nullopt;
    }
    return OAuthTokens {flow.token(), flow.refreshToken(), flow.expirationAt().toUTC()};
}
