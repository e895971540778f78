#include "FakeImapServer.h"
#include "ImapComponent.h"
#include "ImapLimits.h"
#include "ServerOverride.h"

#include <QTest>

#include <memory>

namespace {

using Script = QList<QByteArray>;

// Each reply stays under the limits for one reply; together they pass the limit for one command.
constexpr qsizetype floodReplyBytes = qsizetype(45) << 20;

const QByteArray bulkyHeader = "From: bulk@example.test\r\nSubject: bulk\r\n\r\n";

QByteArray bulkyMessage(char filler)
{
    return bulkyHeader + QByteArray(floodReplyBytes - bulkyHeader.size(), filler);
}

QByteArray smallMessage(int number)
{
    return "From: ann@example.test\r\nSubject: Message " + QByteArray::number(number)
        + "\r\n\r\nBody\r\n";
}

QByteArray fetchData(int number, const QByteArray &message)
{
    return "S: * " + QByteArray::number(number) + " FETCH (BODY[] "
        + FakeImapServer::literal(message) + ")";
}

} // namespace

// A server that keeps sending untagged replies to one command used to have every one of them
// kept until memory ran out: each reply was within its own limits, their sum had none.
class tst_imapUntaggedFlood : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void floodOfRepliesToOneCommandIsRefused();
    void limitCountsEachCommandAfresh();

private:
    void connectAndSignIn(int exists);

    std::unique_ptr<FakeImapServer> m_server;
    std::unique_ptr<ImapComponent> m_client;
};

void tst_imapUntaggedFlood::init()
{
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_server->exportEnvironment();
    m_client = std::make_unique<ImapComponent>();
    m_client->setServerOverride(ServerOverride::fromEnvironment());
    m_client->SetEncryption(true);
    m_client->SetPort(993);
}

void tst_imapUntaggedFlood::cleanup()
{
    m_client.reset();
    m_server.reset();
    qunsetenv("TESSALINE_IMAP_HOST");
    qunsetenv("TESSALINE_CA_FILE");
}

void tst_imapUntaggedFlood::connectAndSignIn(int exists)
{
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QVERIFY(!m_client->SendRawLine(QStringLiteral("ID (\"GUID\" \"1\")")).isEmpty());
    QCOMPARE(m_client->SignIn(QStringLiteral("user"), QStringLiteral("secret")), 1);
    QCOMPARE(m_client->OpenMailbox(QString()), 1);
    QCOMPARE(m_client->MessageCount(), exists);
}

void tst_imapUntaggedFlood::floodOfRepliesToOneCommandIsRefused()
{
    // Each reply is held twice: as received and as its literal.
    static_assert(3 * 2 * floodReplyBytes > ImapLimits::maxExchangeBytes);
    const QByteArray flood = fetchData(2, bulkyMessage('x'));
    m_server->addScenario(FakeImapServer::withUidList(
        FakeImapServer::signedInOpening(1)
            + FakeImapServer::structureExchange(4, 1, 1, {{1, smallMessage(1)}})
            + Script {FakeImapServer::textRequest(5, {1}), flood, flood, flood, "S: a5 OK done"},
        1));
    connectAndSignIn(1);
    QCOMPARE(m_client->FetchMessage(1, false), std::nullopt);
    QVERIFY2(m_client->FailureText().contains(QStringLiteral("more than 256 MB")),
             qPrintable(m_client->FailureText()));
    // Past the refusal the stream cannot be trusted: the connection is gone.
    QCOMPARE(m_client->FetchMessage(1, false), std::nullopt);
    QCOMPARE(m_client->FailureText(), QStringLiteral("not connected to the server"));
}

void tst_imapUntaggedFlood::limitCountsEachCommandAfresh()
{
    // Each fetch also brings a bulky reply about another message, as a server may announce
    // changes with any command; three of them pass the limit only if it were never reset.
    const QByteArray unrelated = fetchData(9, bulkyMessage('u'));
    Script script = FakeImapServer::signedInOpening(3);
    for (int number = 1; number <= 3; ++number) {
        const int tag = 2 + 2 * number;
        script += FakeImapServer::structureExchange(tag, number, number,
                                                    {{number, smallMessage(number)}});
        script += {FakeImapServer::textRequest(tag + 1, {number}), unrelated,
                   FakeImapServer::textReply(number, smallMessage(number)),
                   "S: a" + QByteArray::number(tag + 1) + " OK done"};
    }
    m_server->addScenario(FakeImapServer::withUidList(script, 3));
    connectAndSignIn(3);
    m_client->setFetchAheadLimits(1, 1, 1); // one message per command
    for (int number = 1; number <= 3; ++number) {
        const std::optional<MailMessage> message = m_client->FetchMessage(number, false);
        QVERIFY2(message, qPrintable(m_client->FailureText()));
        QCOMPARE(message->subject, QStringLiteral("Message %1").arg(number));
    }
    QVERIFY(m_server->isAllScenarioDone());
}

QTEST_GUILESS_MAIN(tst_imapUntaggedFlood)
#include "tst_imapUntaggedFlood.moc"
