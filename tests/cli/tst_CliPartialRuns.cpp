#include "FakeImapServer.h"
#include "ResultFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using Script = QList<QByteArray>;

QByteArray message(int number)
{
    return "From: sender@example.test\r\nSubject: Message " + QByteArray::number(number)
        + "\r\n\r\nBody " + QByteArray::number(number) + "\r\n";
}

} // namespace

// A run the server stops part-way (Gmail's daily limit after the first message): exit status 6,
// the reason on standard error, and an output file replaced only by a complete run.
class tst_CliPartialRuns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stoppedRun_data();
    void stoppedRun();
};

void tst_CliPartialRuns::stoppedRun_data()
{
    QTest::addColumn<bool>("toFile");
    QTest::newRow("--output") << true;
    QTest::newRow("standard output") << false;
}

void tst_CliPartialRuns::stoppedRun()
{
    QFETCH(bool, toFile);
    FakeImapServer server;
    QVERIFY2(server.listen(), qPrintable(server.errorString()));
    const FakeImapServer::Messages all {{1, message(1)}, {2, message(2)}, {3, message(3)}};
    server.addScenario(FakeImapServer::runStoppedByOverQuota(all));

    QTemporaryDir dir;
    const QString output = dir.filePath(u"rows.txt"_s);
    QVERIFY(SaveTextFile(output, u"earlier rows\r\n"_s).isEmpty());
    QStringList arguments {u"--host"_s,    u"127.0.0.1:%1"_s.arg(server.port()),
                           u"--ca-file"_s, server.caFile(),
                           u"--user"_s,    u"user"_s};
    if (toFile)
        arguments << u"--output"_s << output;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TESSALINE_PASSWORD"_s, u"secret"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALINE_CLI_PATH), arguments);
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 60'000);

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 6);
    const QByteArray err = process.readAllStandardError();
    const QByteArray out = process.readAllStandardOutput();
    QVERIFY2(err.contains("tessaline-cli: Gmail stopped the run at message 2 of 3: Account "
                          "exceeded command or bandwidth limits.\n"),
             err.constData());
    QVERIFY2(err.contains("Gmail is slowing down this connection"), err.constData());
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "earlier rows\r\n"_ba);
    if (toFile) {
        QVERIFY(out.isEmpty());
        QVERIFY2(err.contains("was left as it was"), err.constData());
    } else {
        QVERIFY2(out.contains("Message 1\r\n") && !out.contains("Message 2"), out.constData());
    }
    QVERIFY(server.isAllScenarioDone());
    QCOMPARE(server.connectionCount(), 1);
    QVERIFY2(server.mismatches().isEmpty(), qPrintable(server.mismatches().join(u" / "_s)));
}

QTEST_GUILESS_MAIN(tst_CliPartialRuns)
#include "tst_CliPartialRuns.moc"
