#include "ApplicationTitle.h"
#include "ConnectivityCheck.h"
#include "ScriptedPrompts.h"
#include "ShellScript.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
const QString OnlineWarning = QStringLiteral("You must be online to use this software accurately.");
}

// Every "ping" here is a script on this machine: the check never reaches the network in tests.
class tst_ConnectivityCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString fakePing(const QByteArray &body)
    {
        return shellScriptCommand(m_folder, QStringLiteral("ping.sh"), body);
    }

private Q_SLOTS:
    void replyDecidesTheWarning_data()
    {
        QTest::addColumn<QByteArray>("pingScript");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<bool>("warned");
        QTest::newRow("reply") << QByteArray(
            "echo 'PING host (10.0.0.1) 56(84) bytes of data.'\n"
            "echo '64 bytes from 10.0.0.1: icmp_seq=1 ttl=57 time=3.1 ms'")
                               << "bytes from" << false;
        QTest::newRow("marker in capitals")
            << QByteArray("echo '64 BYTES FROM 10.0.0.1: icmp_seq=1'") << "bytes from" << false;
        QTest::newRow("no reply") << QByteArray(
            "echo 'PING host (10.0.0.1) 56(84) bytes of data.'\n"
            "echo '1 packets transmitted, 0 received, 100% packet loss'; exit 1")
                                  << "bytes from" << true;
        QTest::newRow("no output at all") << QByteArray("exit 2") << "bytes from" << true;
        QTest::newRow("reply only on the error stream")
            << QByteArray("echo '64 bytes from 10.0.0.1' >&2") << "bytes from" << true;
        QTest::newRow("other platform's reply")
            << QByteArray("echo 'Reply from 10.0.0.1: bytes=32 time=4ms TTL=57'")
            << "bytes=" << false;
        QTest::newRow("other platform, capitals")
            << QByteArray("echo 'Reply from 10.0.0.1: BYTES=32 time=4ms'") << "bytes=" << false;
        QTest::newRow("other platform, timed out")
            << QByteArray("echo 'Request timed out.'") << "bytes=" << true;
    }
    void replyDecidesTheWarning()
    {
        QFETCH(QByteArray, pingScript);
        QFETCH(QString, marker);
        QFETCH(bool, warned);
        ScriptedPrompts prompts;
        CheckOnline(fakePing(pingScript), marker);

        QCOMPARE(prompts.boxes().size(), warned ? 1 : 0);
        if (warned) {
            const ScriptedPrompts::Box &box = prompts.boxes().first();
            QCOMPARE(box.text, OnlineWarning);
            QCOMPARE(box.title, ApplicationTitle());
            QCOMPARE(box.buttons, Prompts::Buttons::Ok);
            QCOMPARE(box.icon, Prompts::Icon::None);
        }
    }

    void missingPingToolCountsAsOffline()
    {
        ScriptedPrompts prompts;
        CheckOnline(QStringLiteral("/nonexistent/bin/ping -c 1 host"),
                    QStringLiteral("bytes from"));
        QCOMPARE(prompts.messageTexts(), QStringList {OnlineWarning});
    }

    void pingThatHangsIsCutShort()
    {
        ScriptedPrompts prompts;
        CheckOnline(fakePing("exec sleep 60"), QStringLiteral("bytes from"), 300);
        QCOMPARE(prompts.messageTexts(), QStringList {OnlineWarning});
    }

    void environmentChoosesTheCommand()
    {
        qputenv("TESSALINE_PING_HOST", "127.0.0.1");
        qunsetenv("TESSALINE_PING_COMMAND");
        QVERIFY(OnlineCheckCommand().startsWith(QLatin1String("ping ")));
        QVERIFY(OnlineCheckCommand().contains(QLatin1String(" 127.0.0.1")));

        qputenv("TESSALINE_PING_COMMAND", fakePing("echo '64 bytes from 127.0.0.1'").toUtf8());
        ScriptedPrompts prompts;
        CheckOnline();
        QCOMPARE(prompts.boxes().size(), 0);

        qputenv("TESSALINE_PING_COMMAND", fakePing("echo 'Destination Host Unreachable'").toUtf8());
        CheckOnline();
        QCOMPARE(prompts.messageTexts(), QStringList {OnlineWarning});
        qunsetenv("TESSALINE_PING_COMMAND");
    }
};

QTEST_GUILESS_MAIN(tst_ConnectivityCheck)
#include "tst_ConnectivityCheck.moc"
