#include "DovecotFixture.h"
#include "GoogleStandIn.h"
#include "SecretStore.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The built program with --auth oauth2 against the fixture's Dovecot, whose oauth2 passdb accepts
// the stand-in's tokens. Runs inside a private D-Bus session with an unlocked secret store, shared
// with the program it starts.
class tst_CliOAuthRuns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void signInPaths_data();
    void signInPaths();

private:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    // Runs the program with `extraEnvironment` (NAME=value) and waits with the event loop
    // running, so the stand-in in this process answers its token requests.
    Result run(const QStringList &arguments, const QStringList &extraEnvironment) const;
    QString refreshTokenKey() const { return SecretStore::refreshTokenKey(m_fixture.user()); }

    DovecotFixture m_fixture;
    GoogleStandIn m_google;
    QTemporaryDir m_config;
};

void tst_CliOAuthRuns::initTestCase()
{
    QVERIFY(m_google.listen());
    // The client the desktop program's "Client..." dialog saves, in the settings it reads.
    QSettings settings(QDir(m_config.path()).filePath(u"Marlowix/Tessaline.conf"_s),
                       QSettings::IniFormat);
    settings.setValue(u"OAuthClientId"_s, QString::fromLatin1(GoogleStandIn::clientId));
    settings.setValue(u"OAuthClientSecret"_s, QString::fromLatin1(GoogleStandIn::clientSecret));
}

void tst_CliOAuthRuns::init()
{
    SecretStore().remove(refreshTokenKey());
}

tst_CliOAuthRuns::Result tst_CliOAuthRuns::run(const QStringList &arguments,
                                               const QStringList &extraEnvironment) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"TESSALINE_PASSWORD"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, m_config.path());
    environment.insert(u"TESSALINE_OAUTH_AUTH_URL"_s, m_google.authorizationUrl().toString());
    environment.insert(u"TESSALINE_OAUTH_TOKEN_URL"_s, m_google.tokenUrl().toString());
    for (const QString &pair : extraEnvironment)
        environment.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALINE_CLI_PATH),
                  QStringList {u"--host"_s, m_fixture.hostAndPort(), u"--ca-file"_s,
                               m_fixture.caFile(), u"--user"_s, m_fixture.user(), u"--auth"_s,
                               u"oauth2"_s}
                      + arguments);
    Result result;
    if (!process.waitForStarted()
        || !QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; },
                            120'000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void tst_CliOAuthRuns::signInPaths_data()
{
    QTest::addColumn<bool>("savedSignIn");
    QTest::addColumn<QString>("tokenLifetime"); // seconds; empty: no --oauth2-token-env
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reason");

    QTest::newRow("refresh token the desktop program saved") << true << QString() << 0 << QString();
    QTest::newRow("access token from a variable") << false << u"3600"_s << 0 << QString();
    QTest::newRow("expired access token from a variable")
        << false << u"-60"_s << 3 << u"the token was refused"_s;
    QTest::newRow("neither") << false << QString() << 3
                             << u"no saved Google sign-in for %1"_s.arg(m_fixture.user());
}

void tst_CliOAuthRuns::signInPaths()
{
    QFETCH(bool, savedSignIn);
    QFETCH(QString, tokenLifetime);
    QFETCH(int, exitCode);
    QFETCH(QString, reason);
    if (savedSignIn) // as the desktop program leaves it after a sign-in with Google
        QCOMPARE(
            SecretStore().write(refreshTokenKey(), m_google.issueRefreshToken(m_fixture.user())),
            SecretStore::Outcome::Stored);
    QStringList arguments {u"--format"_s, u"jsonl"_s};
    QStringList environment;
    if (!tokenLifetime.isEmpty()) {
        arguments << u"--oauth2-token-env"_s << u"TST_ACCESS_TOKEN"_s;
        environment << u"TST_ACCESS_TOKEN="_s
                + GoogleStandIn::accessTokenFor(
                           m_fixture.user(),
                           QDateTime::currentDateTimeUtc().addSecs(tokenLifetime.toInt()));
    }
    const int refreshesBefore = m_google.refreshes();

    const Result result = run(arguments, environment);

    QVERIFY2(result.exitCode == exitCode, result.err.constData());
    QVERIFY2(QString::fromUtf8(result.err).contains(reason), result.err.constData());
    if (exitCode == 0) // the inbox's rows, beginning with its first sender
        QVERIFY2(result.out.startsWith("\"Alice Archer <alice@example.test>\"\n"),
                 result.out.left(200).constData());
    else
        QVERIFY(result.out.isEmpty());
    QCOMPARE(m_google.refreshes() - refreshesBefore, savedSignIn ? 1 : 0);
}

QTEST_GUILESS_MAIN(tst_CliOAuthRuns)
#include "tst_CliOAuthRuns.moc"
