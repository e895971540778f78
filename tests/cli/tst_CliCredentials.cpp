#include "CliCredentials.h"
#include "GoogleStandIn.h"
#include "OAuthClient.h"
#include "SecretStore.h"
#include "TestEnvironment.h"

#include <QTest>

namespace {

const QString user = QStringLiteral("tess@example.test");

} // namespace

// What a command-line run signs in with for each --auth choice, and why it cannot (exit 3).
class tst_CliCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void parsesTheChoice();
    void passwordLosesGooglesSpaces();
    void tokenFromTheEnvironment();
    void savedSignInIsRefreshed();
    void neitherTokenNorSavedSignIn();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void tst_CliCredentials::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    SecretStore().remove(SecretStore::refreshTokenKey(user));
}

void tst_CliCredentials::parsesTheChoice()
{
    QCOMPARE(CliCredentials::parseAuth(QStringLiteral("password")), CliCredentials::Auth::Password);
    QCOMPARE(CliCredentials::parseAuth(QStringLiteral("oauth2")), CliCredentials::Auth::OAuth2);
    QCOMPARE(CliCredentials::parseAuth(QStringLiteral("OAuth")), std::nullopt);
}

void tst_CliCredentials::passwordLosesGooglesSpaces()
{
    QString reason;
    const auto made = CliCredentials::make(CliCredentials::Auth::Password, user,
                                           QStringLiteral("abcd efgh ijkl mnop"), {}, &reason);
    QVERIFY(made);
    const std::optional<ImapSignIn> signIn = made->credentials().signIn(&reason);
    QCOMPARE(signIn->method, ImapSignIn::Method::Login);
    QCOMPARE(signIn->secret, QStringLiteral("abcdefghijklmnop"));
}

void tst_CliCredentials::tokenFromTheEnvironment()
{
    qputenv("TST_ACCESS_TOKEN", "ya29.given");
    QString reason;
    const auto made = CliCredentials::make(CliCredentials::Auth::OAuth2, user, {},
                                           QStringLiteral("TST_ACCESS_TOKEN"), &reason);
    QVERIFY2(made, qPrintable(reason));
    const ImapSignIn expected {ImapSignIn::Method::XOAuth2, user, QStringLiteral("ya29.given")};
    QCOMPARE(made->credentials().signIn(&reason), expected);

    qunsetenv("TST_ACCESS_TOKEN");
    QVERIFY(!CliCredentials::make(CliCredentials::Auth::OAuth2, user, {},
                                  QStringLiteral("TST_ACCESS_TOKEN"), &reason));
    QVERIFY2(reason.contains(QStringLiteral("TST_ACCESS_TOKEN")), qPrintable(reason));
}

void tst_CliCredentials::savedSignInIsRefreshed()
{
    GoogleStandIn google;
    QVERIFY(google.listen());
    google.exportEnvironment();
    OAuthClient::saveToSettings(QString::fromLatin1(GoogleStandIn::clientId),
                                QString::fromLatin1(GoogleStandIn::clientSecret));
    // As the desktop program leaves it after a sign-in with Google.
    SecretStore().write(SecretStore::refreshTokenKey(user), google.issueRefreshToken(user));

    QString reason;
    const auto made = CliCredentials::make(CliCredentials::Auth::OAuth2, user, {}, {}, &reason);
    QVERIFY2(made, qPrintable(reason));
    const std::optional<ImapSignIn> signIn = made->credentials().signIn(&reason);
    QVERIFY2(signIn, qPrintable(reason));
    QCOMPARE(signIn->method, ImapSignIn::Method::XOAuth2);
    QVERIFY(signIn->secret.startsWith(QStringLiteral("at.")));
    QCOMPARE(google.refreshes(), 1);
    qunsetenv("TESSALINE_OAUTH_AUTH_URL");
    qunsetenv("TESSALINE_OAUTH_TOKEN_URL");
}

void tst_CliCredentials::neitherTokenNorSavedSignIn()
{
    QString reason;
    QVERIFY(!CliCredentials::make(CliCredentials::Auth::OAuth2, user, {}, {}, &reason));
    QVERIFY2(reason.contains(QStringLiteral("no saved Google sign-in for tess@example.test")),
             qPrintable(reason));
}

QTEST_GUILESS_MAIN(tst_CliCredentials)
#include "tst_CliCredentials.moc"
