#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

class QNetworkAccessManager;
class QTcpServer;
class QTcpSocket;

// A local stand-in for the OAuth provider's two endpoints, over plain HTTP on 127.0.0.1:
//   GET  /auth   checks the request (client ID, loopback redirect, S256 challenge, state, offline
//                access, scope) and redirects to the loopback with a one-time code and the state;
//   POST /token  exchanges a code (checking the PKCE verifier and the redirect) or a refresh
//                token for an access token; refused requests get the provider's JSON errors.
// Access tokens carry their owner and expiry (accessTokenFor), so the test Dovecot's
// introspection endpoint can judge them without asking back.
class GoogleStandIn final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GoogleStandIn)

public:
    static constexpr auto clientId = "stand-in-client.apps.example.test";
    static constexpr auto clientSecret = "stand-in-secret";

    explicit GoogleStandIn(QObject *parent = nullptr);
    ~GoogleStandIn() override;

    bool listen();
    QUrl authorizationUrl() const;
    QUrl tokenUrl() const;
    // Points TESSALINE_OAUTH_AUTH_URL and TESSALINE_OAUTH_TOKEN_URL here.
    void exportEnvironment() const;

    // Lifetime of the access tokens issued from now on; 0 or less issues them expired.
    void setAccessTokenLifetime(int seconds) { m_lifetimeSeconds = seconds; }
    // Every refresh token issued so far is refused from now on (invalid_grant).
    void revokeRefreshTokens() { m_refreshTokens.clear(); }
    // A refresh token for `user` that the endpoint accepts, as if a sign-in had happened.
    QString issueRefreshToken(const QString &user);

    // Plays the browser of a user who allows access: asks for `authorization` and follows its
    // redirect back to the program's loopback listener, with the state replaced by
    // `forgedState` when one is given.
    void allowAccess(const QUrl &authorization, const QString &forgedState = {});

    // The query of the last authorization request, and how many token requests came.
    QUrlQuery lastAuthorizationQuery() const { return m_lastAuthorization; }
    int codeExchanges() const { return m_codeExchanges; }
    int refreshes() const { return m_refreshes; }

    // "at.<base64url(user)>.<expiry in Unix seconds>.<random>"
    static QString accessTokenFor(const QString &user, const QDateTime &expiresAt);

private:
    struct PendingCode
    {
        QString user;
        QByteArray challenge;
        QString redirectUri;
    };
    struct Reply
    {
        QByteArray status;
        QByteArray headers;
        QByteArray body;
    };

    void serve(QTcpSocket *socket);
    Reply authorize(const QUrlQuery &query);
    Reply token(const QUrlQuery &form);
    Reply exchangeCode(const QUrlQuery &form);
    Reply refresh(const QUrlQuery &form);
    Reply tokensFor(const QString &user, const QString &refreshToken);

    std::unique_ptr<QTcpServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_browser;
    QHash<QString, PendingCode> m_codes;
    QHash<QString, QString> m_refreshTokens; // token -> user
    QUrlQuery m_lastAuthorization;
    int m_lifetimeSeconds = 3600;
    int m_codeExchanges = 0;
    int m_refreshes = 0;
};
