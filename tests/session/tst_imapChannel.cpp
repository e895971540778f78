#include "FakeImapServer.h"
#include "ImapChannel.h"
#include "ImapCommand.h"
#include "ServerOverride.h"

#include <QTest>

using Script = QList<QByteArray>;

namespace {

// Hands out a new secret at every sign-in, as a token source does, or none once told to.
class CountingCredentials final : public ImapCredentials
{
public:
    QString user() const override { return QStringLiteral("user"); }
    std::optional<ImapSignIn> signIn(QString *problem) override
    {
        ++asked;
        if (refuse) {
            *problem = QStringLiteral("sign in with Google again");
            return std::nullopt;
        }
        return ImapSignIn {ImapSignIn::Method::Login, user(),
                           QStringLiteral("token-%1").arg(asked)};
    }

    int asked = 0;
    bool refuse = false;
};

Script openingWith(const QByteArray &secret)
{
    Script steps = FakeImapServer::signedInOpening(2);
    steps[4] = "C: a2 LOGIN user " + secret;
    return steps;
}

} // namespace

class tst_imapChannel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void reconnectReplaysSignsInAfreshAndSelects();
    void reconnectStopsWhenNoSecretCanBeHad();
    void reconnectsAtMostThreeTimes();
    void stopDuringAPauseEndsAtOnce();

private:
    void signIn();

    std::unique_ptr<FakeImapServer> m_server;
    std::unique_ptr<ImapChannel> m_channel;
    std::shared_ptr<CountingCredentials> m_credentials;
    std::function<bool()> m_stopRequested;
};

void tst_imapChannel::init()
{
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    ImapChannel::Hooks hooks;
    hooks.abortRequested = [this] { return m_stopRequested && m_stopRequested(); };
    m_stopRequested = nullptr;
    m_channel = std::make_unique<ImapChannel>(hooks);
    m_channel->setReconnectPauses({1, 1, 1});
    m_channel->setServerOverride(
        {QStringLiteral("127.0.0.1:%1").arg(m_server->port()), m_server->caFile()});
    m_credentials = std::make_shared<CountingCredentials>();
}

void tst_imapChannel::signIn()
{
    QVERIFY(m_channel->open(QStringLiteral("imap.gmail.com"), 993).isOk());
    const QByteArray identification = "ID (\"GUID\" \"1\")";
    QVERIFY(m_channel->runRawLine(identification).isOk());
    QVERIFY(m_channel->signIn(m_credentials).isOk());
    QVERIFY(m_channel->select(QString()).isOk());
}

void tst_imapChannel::reconnectReplaysSignsInAfreshAndSelects()
{
    m_server->addScenario(openingWith("token-1") + Script {"C: a4 NOOP", "X"});
    m_server->addScenario(openingWith("token-2") + Script {"C: a4 NOOP", "S: a4 OK done"});
    signIn();
    const quint64 epoch = m_channel->epoch();

    const ImapReply reply = m_channel->runResuming(ImapCommand("NOOP"));
    QVERIFY2(reply.isOk(), qPrintable(reply.failureText()));
    QCOMPARE(m_credentials->asked, 2);
    QCOMPARE(m_channel->messageCount(), 2);
    QVERIFY(m_channel->epoch() != epoch); // what was fetched ahead belongs to the old connection
    QCOMPARE(m_server->connectionCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_imapChannel::reconnectStopsWhenNoSecretCanBeHad()
{
    m_server->addScenario(openingWith("token-1") + Script {"C: a4 NOOP", "X"});
    m_server->addScenario({"S: * OK ready", "C: a1 ID (\"GUID\" \"1\")", "S: a1 OK ID completed"});
    signIn();
    m_credentials->refuse = true;

    const ImapReply reply = m_channel->runResuming(ImapCommand("NOOP"));
    QVERIFY(!reply.isOk());
    QCOMPARE(reply.failureText(), QStringLiteral("sign in with Google again"));
    // No second reconnect: asking again would give the same answer.
    QCOMPARE(m_server->connectionCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_imapChannel::reconnectsAtMostThreeTimes()
{
    m_server->addScenario(openingWith("token-1") + Script {"C: a4 NOOP", "X"});
    for (int attempt = 0; attempt < 3; ++attempt)
        m_server->addScenario({"X"}); // gone again before the greeting
    signIn();

    const ImapReply reply = m_channel->runResuming(ImapCommand("NOOP"));
    QCOMPARE(reply.end, ImapReply::End::ConnectionLost);
    QVERIFY2(reply.failureText().endsWith(QStringLiteral("(after 3 attempts to reconnect)")),
             qPrintable(reply.failureText()));
    QCOMPARE(m_server->connectionCount(), 4);
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_imapChannel::stopDuringAPauseEndsAtOnce()
{
    m_server->addScenario(openingWith("token-1") + Script {"C: a4 NOOP", "X"});
    signIn();
    // A pause no test could sit out: only the stop request can end it.
    m_channel->setReconnectPauses({24 * 60 * 60 * 1000});
    // Asked for once the server has dropped the connection, and asked again (the first check
    // may still come from the wait on the NOOP).
    int checksAfterDrop = 0;
    m_stopRequested = [this, &checksAfterDrop] {
        return m_server->isAllScenarioDone() && ++checksAfterDrop > 1;
    };

    const ImapReply reply = m_channel->runResuming(ImapCommand("NOOP"));
    QCOMPARE(reply.end, ImapReply::End::Aborted);
    QCOMPARE(reply.failureText(), QStringLiteral("stopped while waiting to reconnect"));
    QCOMPARE(m_server->connectionCount(), 1);
    QCOMPARE(m_credentials->asked, 1);
}

QTEST_MAIN(tst_imapChannel)
#include "tst_imapChannel.moc"
