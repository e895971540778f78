#include "DovecotFixture.h"
#include "GoogleStandIn.h"
#include "ImapConnection.h"
#include "ImapWait.h"
#include "OAuthCredentials.h"
#include "OAuthTokenSource.h"
#include "SecretStore.h"
#include "ServerAddress.h"
#include "XOAuth2.h"

#include <QSslCertificate>
#include <QTest>

// XOAUTH2 against the real server: Dovecot's oauth2 passdb asks the fixture's introspection
// endpoint, which accepts the stand-in's tokens until they expire.
class tst_imapXOAuth2Dovecot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void validTokenSignsIn();
    void expiredTokenIsRefused();
    void everySignInAsksTheTokenSource();

private:
    // Connects and signs in with what `credentials` hand out.
    ImapReply signIn(ImapCredentials &credentials, QString *problem);
    ImapReply signInWithToken(const QString &token);

    DovecotFixture m_fixture;
    std::unique_ptr<GoogleStandIn> m_google;
    std::unique_ptr<ImapConnection> m_connection;
};

void tst_imapXOAuth2Dovecot::init()
{
    m_google = std::make_unique<GoogleStandIn>();
    QVERIFY(m_google->listen());
    m_connection = std::make_unique<ImapConnection>();
}

void tst_imapXOAuth2Dovecot::cleanup()
{
    m_connection.reset();
    m_google.reset();
}

ImapReply tst_imapXOAuth2Dovecot::signIn(ImapCredentials &credentials, QString *problem)
{
    m_connection->open(ServerAddress {m_fixture.host(), quint16(m_fixture.port()),
                                      QSslCertificate::fromPath(m_fixture.caFile())});
    const ImapReply greeting = ImapWait::run(m_connection.get(), 10000, {});
    if (!greeting.isOk())
        return greeting;
    const std::optional<ImapSignIn> signIn = credentials.signIn(problem);
    if (!signIn)
        return ImapReply::ended(ImapReply::End::NotConnected, *problem);
    m_connection->send(
        XOAuth2::command(signIn->user, signIn->secret, XOAuth2::offersSaslIr(greeting)));
    return ImapWait::run(m_connection.get(), 10000, {});
}

ImapReply tst_imapXOAuth2Dovecot::signInWithToken(const QString &token)
{
    SecretStore secrets;
    OAuthTokenSource source({}, m_fixture.user(), secrets);
    source.useFixedAccessToken(token);
    OAuthCredentials credentials(source);
    QString problem;
    return signIn(credentials, &problem);
}

void tst_imapXOAuth2Dovecot::validTokenSignsIn()
{
    const ImapReply reply = signInWithToken(GoogleStandIn::accessTokenFor(
        m_fixture.user(), QDateTime::currentDateTimeUtc().addSecs(3600)));
    QVERIFY2(reply.isOk(), qPrintable(reply.failureText()));
}

void tst_imapXOAuth2Dovecot::expiredTokenIsRefused()
{
    const ImapReply reply = signInWithToken(GoogleStandIn::accessTokenFor(
        m_fixture.user(), QDateTime::currentDateTimeUtc().addSecs(-60)));
    QCOMPARE(reply.end, ImapReply::End::Completed);
    QCOMPARE(reply.completion.name, QByteArray("NO"));
    // The error continuation was answered and its reason kept.
    QVERIFY2(reply.failureText().contains(QStringLiteral("status 401")),
             qPrintable(reply.failureText()));
    QVERIFY(m_connection->isOpen());
}

void tst_imapXOAuth2Dovecot::everySignInAsksTheTokenSource()
{
    SecretStore secrets;
    secrets.write(SecretStore::refreshTokenKey(m_fixture.user()),
                  m_google->issueRefreshToken(m_fixture.user()));
    OAuthClient client {QString::fromLatin1(GoogleStandIn::clientId),
                        QString::fromLatin1(GoogleStandIn::clientSecret),
                        m_google->authorizationUrl(), m_google->tokenUrl()};
    OAuthTokenSource source(client, m_fixture.user(), secrets);
    OAuthCredentials credentials(source);
    // Tokens this short-lived count as expired at the next sign-in, as an hour-old one would.
    m_google->setAccessTokenLifetime(20);
    QString problem;
    for (int connection = 1; connection <= 2; ++connection) {
        const ImapReply reply = signIn(credentials, &problem);
        QVERIFY2(reply.isOk(), qPrintable(reply.failureText()));
        QCOMPARE(m_google->refreshes(), connection);
    }

    m_google->revokeRefreshTokens();
    const ImapReply refused = signIn(credentials, &problem);
    QVERIFY(!refused.isOk());
    QVERIFY2(problem.contains(QStringLiteral("sign in with Google again")), qPrintable(problem));
}

QTEST_GUILESS_MAIN(tst_imapXOAuth2Dovecot)
#include "tst_imapXOAuth2Dovecot.moc"
