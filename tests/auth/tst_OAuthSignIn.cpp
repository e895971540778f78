#include "GoogleStandIn.h"
#include "OAuthClient.h"
#include "OAuthSignIn.h"
#include "OAuthTokenSource.h"
#include "SecretStore.h"

#include <QTest>

namespace {

const QString user = QStringLiteral("tess@example.test");

} // namespace

// The desktop sign-in and the token refresh against the provider's stand-in; the test plays the
// browser's part.
class tst_OAuthSignIn : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void signsInThroughTheBrowser();
    void forgedStateIsRefused();
    void refreshesAnExpiredToken();
    void refusedRefreshAsksForANewSignIn();

private:
    OAuthClient client() const;
    // Follows the authorization URL like a browser; `forgeState` replaces the state in the
    // redirect before following it.
    OAuthSignIn::OpenBrowser browser(bool forgeState);

    std::unique_ptr<GoogleStandIn> m_google;
    QUrl m_opened;
};

void tst_OAuthSignIn::init()
{
    m_google = std::make_unique<GoogleStandIn>();
    QVERIFY(m_google->listen());
    m_google->exportEnvironment();
    SecretStore().remove(SecretStore::refreshTokenKey(user));
}

void tst_OAuthSignIn::cleanup()
{
    m_google.reset();
    qunsetenv("TESSALINE_OAUTH_AUTH_URL");
    qunsetenv("TESSALINE_OAUTH_TOKEN_URL");
}

OAuthClient tst_OAuthSignIn::client() const
{
    OAuthClient client = OAuthClient::fromSettings();
    client.clientId = QString::fromLatin1(GoogleStandIn::clientId);
    client.clientSecret = QString::fromLatin1(GoogleStandIn::clientSecret);
    return client;
}

OAuthSignIn::OpenBrowser tst_OAuthSignIn::browser(bool forgeState)
{
    return [this, forgeState](const QUrl &url) {
        m_opened = url;
        m_google->allowAccess(url, forgeState ? QStringLiteral("forged") : QString());
        return true;
    };
}

void tst_OAuthSignIn::signsInThroughTheBrowser()
{
    QString problem;
    const std::optional<OAuthTokens> tokens =
        OAuthSignIn(client(), user, browser(false)).run(20000, &problem);
    QVERIFY2(tokens, qPrintable(problem));
    QVERIFY(tokens->accessToken.startsWith(QStringLiteral("at.")));
    QVERIFY(tokens->refreshToken.startsWith(QStringLiteral("1//")));
    QVERIFY(tokens->isFresh());
    // The stand-in checked the PKCE verifier against the challenge and the redirect.
    QCOMPARE(m_google->codeExchanges(), 1);

    const QUrlQuery asked = m_google->lastAuthorizationQuery();
    QCOMPARE(asked.queryItemValue(QStringLiteral("access_type")), QStringLiteral("offline"));
    QCOMPARE(asked.queryItemValue(QStringLiteral("login_hint"), QUrl::FullyDecoded), user);
    QCOMPARE(asked.queryItemValue(QStringLiteral("scope"), QUrl::FullyDecoded),
             QStringLiteral("https://mail.google.com/"));
    QVERIFY(asked.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded)
                .startsWith(QStringLiteral("http://127.0.0.1:")));
}

void tst_OAuthSignIn::forgedStateIsRefused()
{
    QString problem;
    const std::optional<OAuthTokens> tokens =
        OAuthSignIn(client(), user, browser(true)).run(20000, &problem);
    QVERIFY(!tokens);
    QVERIFY2(problem.contains(QStringLiteral("did not belong to this sign-in")),
             qPrintable(problem));
    QCOMPARE(m_google->codeExchanges(), 0);
}

void tst_OAuthSignIn::refreshesAnExpiredToken()
{
    SecretStore secrets;
    secrets.write(SecretStore::refreshTokenKey(user), m_google->issueRefreshToken(user));
    OAuthTokenSource source(client(), user, secrets);
    QString problem;
    const std::optional<QString> first = source.accessToken(&problem);
    QVERIFY2(first, qPrintable(problem));
    QCOMPARE(source.accessToken(&problem), first); // still fresh: no second request
    QCOMPARE(m_google->refreshes(), 1);

    m_google->setAccessTokenLifetime(30); // inside the margin a sign-in needs
    source.accept(OAuthTokens {*first, {}, QDateTime::currentDateTimeUtc().addSecs(30)}, &problem);
    const std::optional<QString> renewed = source.accessToken(&problem);
    QVERIFY2(renewed, qPrintable(problem));
    QVERIFY(*renewed != *first);
    QCOMPARE(m_google->refreshes(), 2);
}

void tst_OAuthSignIn::refusedRefreshAsksForANewSignIn()
{
    SecretStore secrets;
    secrets.write(SecretStore::refreshTokenKey(user), m_google->issueRefreshToken(user));
    m_google->revokeRefreshTokens();
    OAuthTokenSource source(client(), user, secrets);
    QString problem;
    QCOMPARE(source.accessToken(&problem), std::nullopt);
    QVERIFY2(problem.contains(QStringLiteral("sign in with Google again")), qPrintable(problem));
    QVERIFY(!source.hasSavedSignIn());

    problem.clear();
    QCOMPARE(source.accessToken(&problem), std::nullopt);
    QVERIFY2(problem.contains(QStringLiteral("no saved Google sign-in")), qPrintable(problem));
}

QTEST_GUILESS_MAIN(tst_OAuthSignIn)
#include "tst_OAuthSignIn.moc"
