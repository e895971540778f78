#include "FakeImapServer.h"
#include "ResultFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

using namespace Qt::Literals::StringLiterals;

// A run stopped by SIGINT or SIGTERM while the server is silent gives up through the component's
// abort check: exit status 130, and the file named by --output is left as it was.
class tst_CliInterrupt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void interruptedRunKeepsTheOutputFile_data();
    void interruptedRunKeepsTheOutputFile();
};

void tst_CliInterrupt::interruptedRunKeepsTheOutputFile_data()
{
    QTest::addColumn<bool>("terminate"); // SIGTERM, else SIGINT
    QTest::newRow("SIGTERM") << true;
    QTest::newRow("SIGINT") << false;
}

void tst_CliInterrupt::interruptedRunKeepsTheOutputFile()
{
    QFETCH(bool, terminate);
    FakeImapServer server;
    QVERIFY2(server.listen(), qPrintable(server.errorString()));
    // Sign-in, count and estimate; the run's first fetch is never answered.
    const FakeImapServer::Messages two {{1, "Subject: one\r\n\r\n"}, {2, "Subject: two\r\n\r\n"}};
    server.addScenario(FakeImapServer::signedInOpening(2) + FakeImapServer::uidListExchange(4, 2)
                       + FakeImapServer::sizeExchange(5, two)
                       + QList<QByteArray> {"C: a6 UID FETCH 1:2 (RFC822.SIZE BODYSTRUCTURE)"});

    QTemporaryDir dir;
    const QString output = dir.filePath(u"rows.txt"_s);
    QVERIFY(SaveTextFile(output, u"earlier rows\r\n"_s).isEmpty());

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TESSALINE_PASSWORD"_s, u"secret"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALINE_CLI_PATH),
                  {u"--host"_s, u"127.0.0.1:%1"_s.arg(server.port()), u"--ca-file"_s,
                   server.caFile(), u"--user"_s, u"user"_s, u"--output"_s, output});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(server.isAllScenarioDone(), 30'000);
    QCOMPARE(process.state(), QProcess::Running);

    if (terminate)
        process.terminate();
    else
        QVERIFY(::kill(pid_t(process.processId()), SIGINT) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 30'000);

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(process.readAllStandardError().contains("tessaline-cli: interrupted"));
    QVERIFY2(server.mismatches().isEmpty(), qPrintable(server.mismatches().join(u" / "_s)));
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "earlier rows\r\n"_ba);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"rows.txt"_s});
}

QTEST_GUILESS_MAIN(tst_CliInterrupt)
#include "tst_CliInterrupt.moc"
