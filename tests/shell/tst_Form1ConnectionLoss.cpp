// A run whose server goes away part-way must say so and keep its rows, not end in "Done.".
#include "FakeImapServer.h"
#include "ImapComponent.h"
#include "Form1.h"
#include "ResultListModel.h"
#include "RunFlags.h"
#include "ScriptedPrompts.h"
#include "ServerOverride.h"
#include "TestEnvironment.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using Script = QList<QByteArray>;

QByteArray message(int number)
{
    return "From: Sender <sender@example.test>\r\nSubject: Message " + QByteArray::number(number)
        + "\r\nDate: Mon, 03 Jan 2022 09:15:00 +0000\r\n\r\nbody " + QByteArray::number(number)
        + "\r\n";
}

// Message `number` fetched ahead on its own: its structure under `tag`, its text under
// `tag + 1`.
Script fetched(int tag, int number)
{
    const FakeImapServer::Messages one {{number, message(number)}};
    return FakeImapServer::structureExchange(tag, number, number, one)
        + FakeImapServer::textExchange(tag + 1, one);
}

} // namespace

class tst_Form1ConnectionLoss : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lostConnectionIsReportedAndRowsKept();
    void limitStopsTheRunAndSlowingIsShown();

private:
    TestEnvironment m_environment;
    FakeImapServer m_server;
};

void tst_Form1ConnectionLoss::initTestCase()
{
    qputenv("TESSALINE_PING_COMMAND", "echo 64 bytes from 127.0.0.1");
    QVERIFY2(m_server.listen(), qPrintable(m_server.errorString()));
    m_server.exportEnvironment();
}

void tst_Form1ConnectionLoss::lostConnectionIsReportedAndRowsKept()
{
    // The run signs in, counts and asks for the sizes, then reads: message 1 arrives, and the
    // server vanishes while message 2 is asked for.
    const FakeImapServer::Messages all {{1, message(1)}, {2, message(2)}, {3, message(3)}};
    m_server.addScenario(FakeImapServer::signedInOpening(3) + FakeImapServer::uidListExchange(4, 3)
                         + FakeImapServer::sizeExchange(5, all) + fetched(6, 1)
                         + Script {FakeImapServer::structureExchange(8, 2, 2, {}).first(), "X"});
    for (int attempt = 0; attempt < 3; ++attempt)
        m_server.addScenario({"X"}); // every attempt to come back finds it gone again
    ScriptedPrompts prompts;
    Form1 window;
    window.setServerOverride(ServerOverride::fromEnvironment());
    window.Form_Load();
    window.ImapComponent1()->setTimeoutMs(5000);
    window.ImapComponent1()->setFetchAheadLimits(1, 1, 1); // one message per command
    window.ImapComponent1()->setReconnectPauses({1, 1, 1});
    window.controls().Text7->setText(QStringLiteral("user"));
    window.controls().Text6->setText(QStringLiteral("secret"));
    // Connected earlier; the session of that connection has since ended with a run.
    window.controls().PushButton17->setText(QStringLiteral("Disconnect"));

    QTest::mouseClick(window.controls().PushButton13, Qt::LeftButton);

    QVERIFY2(m_server.mismatches().isEmpty(), qPrintable(m_server.mismatches().join(u'\n')));
    QCOMPARE(prompts.messageTexts(),
             QStringList {QStringLiteral(
                 "The run stopped at message 2 of 3: connection closed by the server (after 3 "
                 "attempts to reconnect). Rows so far are in the list.")});
    // Three attempts to come back after the first connection, and no more.
    QCOMPARE(m_server.connectionCount(), 4);
    QVERIFY(window.results().texts().contains(QStringLiteral("Message 1")));
    QVERIFY(!window.results().texts().contains(QStringLiteral("Message 2")));
    QCOMPARE(window.statusText(), QStringLiteral("Progress Bar"));
    QVERIFY(!window.onExtractEmail);
    QVERIFY(!window.isBusy());
}

void tst_Form1ConnectionLoss::limitStopsTheRunAndSlowingIsShown()
{
    // Gmail slows the connection down, brings message 1, then refuses on for the day.
    const FakeImapServer::Messages all {{1, message(1)}, {2, message(2)}, {3, message(3)}};
    m_server.addScenario(FakeImapServer::runStoppedByOverQuota(all));
    const int connectionsBefore = m_server.connectionCount();
    ScriptedPrompts prompts;
    Form1 window;
    window.setServerOverride(ServerOverride::fromEnvironment());
    window.Form_Load();
    window.controls().Text7->setText(QStringLiteral("user"));
    window.controls().Text6->setText(QStringLiteral("secret"));
    window.controls().PushButton17->setText(QStringLiteral("Disconnect"));
    // The status line as the run's event loops leave it between steps.
    QStringList statuses;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] { statuses.append(window.statusText()); });
    watch.start(0);

    QTest::mouseClick(window.controls().PushButton13, Qt::LeftButton);

    QVERIFY2(m_server.mismatches().isEmpty(), qPrintable(m_server.mismatches().join(u'\n')));
    QVERIFY(m_server.isAllScenarioDone());
    QCOMPARE(m_server.connectionCount() - connectionsBefore, 1);
    QCOMPARE(prompts.messageTexts(),
             QStringList {QStringLiteral("Gmail stopped the run at message 2 of 3: Account "
                                         "exceeded command or bandwidth limits. Rows so far are "
                                         "in the list.")});
    QVERIFY(!statuses.filter(QStringLiteral("Gmail is slowing down this connection")).isEmpty());
    QVERIFY(window.results().texts().contains(QStringLiteral("Message 1")));
    QVERIFY(!window.results().texts().contains(QStringLiteral("Message 2")));
}

QTEST_MAIN(tst_Form1ConnectionLoss)
#include "tst_Form1ConnectionLoss.moc"
