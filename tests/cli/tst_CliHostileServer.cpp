#include "FakeImapServer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using Script = QList<QByteArray>;

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Greeting, identification and sign-in, as the program starts every run.
Script opening()
{
    return {"S: * OK [CAPABILITY IMAP4rev1 ID] Fake server ready", "C: a1 ID (\"GUID\" \"1\")",
            "S: a1 OK ID completed", "C: a2 LOGIN user secret"};
}

} // namespace

// The program against a scripted server that means harm or is merely enormous.
class tst_CliHostileServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void listsTensOfThousandsOfLabels();
    void serverTextReachesTheTerminalEscaped();

private:
    CliResult run(const QStringList &arguments);

    std::unique_ptr<FakeImapServer> m_server;
};

void tst_CliHostileServer::init()
{
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
}

CliResult tst_CliHostileServer::run(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TESSALINE_PASSWORD"_s, u"secret"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALINE_CLI_PATH),
                  QStringList {u"--host"_s, u"127.0.0.1:%1"_s.arg(m_server->port()),
                               u"--ca-file"_s, m_server->caFile(), u"--user"_s, u"user"_s}
                      + arguments);
    CliResult result;
    // The scripted server lives in this process: its event loop must run while the program does.
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 120'000)) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void tst_CliHostileServer::listsTensOfThousandsOfLabels()
{
    // More labels than the window's 16-bit counter holds; written through /dev/stdout into the
    // pipe this test reads, which must be written into, not replaced.
    m_server->addScenario(opening()
                          + Script {"S: a2 OK Logged in", "C: a3 LIST \"\" \"*\"",
                                    "F: 40000 * LIST (\\HasNoChildren) \"/\" Project",
                                    "S: a3 OK List completed"});
    const CliResult result = run({u"--list-folders"_s, u"--output"_s, u"/dev/stdout"_s});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(result.out.count("Project\n"), 40000);
}

void tst_CliHostileServer::serverTextReachesTheTerminalEscaped()
{
    m_server->addScenario(opening()
                          + Script {"S: a2 NO [AUTHENTICATIONFAILED] \x1b]0;owned\x07\x1b[2J"});
    const CliResult result = run({});
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains("AUTHENTICATIONFAILED] \\x1B]0;owned\\x07\\x1B[2J"),
             result.err.constData());
    QVERIFY(!result.err.contains('\x1b'));
}

QTEST_GUILESS_MAIN(tst_CliHostileServer)
#include "tst_CliHostileServer.moc"
