#include "FakeImapServer.h"
#include "ImapCommand.h"
#include "ImapConnection.h"
#include "ImapWait.h"
#include "ServerAddress.h"
#include "XOAuth2.h"

#include <QSslCertificate>
#include <QTest>

namespace {

const QString user = QStringLiteral("tess@example.test");
const QString token = QStringLiteral("ya29.token");
// base64 of "user=tess@example.test\1auth=Bearer ya29.token\1\1"
const QByteArray response = "dXNlcj10ZXNzQGV4YW1wbGUudGVzdAFhdXRoPUJlYXJlciB5YTI5LnRva2VuAQE=";
// Gmail's error continuation:
// {"status":"401","schemes":"bearer","scope":"https://mail.google.com/"}
const QByteArray gmailError =
    "eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJodHRwczovL21haWwu"
    "Z29vZ2xlLmNvbS8ifQ==";

} // namespace

// AUTHENTICATE XOAUTH2 on the wire, through the connection and its wait, against the scripted
// server: both ways of sending the response and Gmail's error continuation.
class tst_imapXOAuth2 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void signsIn_data();
    void signsIn();
    void errorContinuationIsAnsweredAndExplained();
    void readsSaslIrFromCapabilities_data();
    void readsSaslIrFromCapabilities();

private:
    ImapReply openAndAuthenticate(const QList<QByteArray> &afterGreeting, bool saslIr);

    std::unique_ptr<FakeImapServer> m_server;
    std::unique_ptr<ImapConnection> m_connection;
};

void tst_imapXOAuth2::init()
{
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_connection = std::make_unique<ImapConnection>();
}

void tst_imapXOAuth2::cleanup()
{
    m_connection.reset();
    m_server.reset();
}

ImapReply tst_imapXOAuth2::openAndAuthenticate(const QList<QByteArray> &afterGreeting, bool saslIr)
{
    m_server->addScenario(QList<QByteArray> {"S: * OK Fake server ready"} + afterGreeting);
    ServerAddress address {QStringLiteral("127.0.0.1"), m_server->port(),
                           QSslCertificate::fromPath(m_server->caFile())};
    m_connection->open(address);
    const ImapReply greeting = ImapWait::run(m_connection.get(), 5000, {});
    if (!greeting.isOk())
        return greeting;
    m_connection->send(XOAuth2::command(user, token, saslIr));
    return ImapWait::run(m_connection.get(), 5000, {});
}

void tst_imapXOAuth2::signsIn_data()
{
    QTest::addColumn<bool>("saslIr");
    QTest::addColumn<QList<QByteArray>>("script");

    QTest::newRow("initial response on the command line")
        << true << QList<QByteArray> {"C: a1 AUTHENTICATE XOAUTH2 " + response, "S: a1 OK Success"};
    QTest::newRow("response after the continuation request")
        << false
        << QList<QByteArray> {"C: a1 AUTHENTICATE XOAUTH2", "S: + ", "C: " + response,
                              "S: a1 OK Success"};
}

void tst_imapXOAuth2::signsIn()
{
    QFETCH(bool, saslIr);
    QFETCH(QList<QByteArray>, script);

    const ImapReply reply = openAndAuthenticate(script, saslIr);
    QVERIFY2(reply.isOk(), qPrintable(reply.failureText() + m_server->mismatches().join(u'\n')));
    QVERIFY(m_server->isAllScenarioDone());
    QVERIFY(!XOAuth2::command(user, token, saslIr).logText("a1").contains(response));
}

void tst_imapXOAuth2::errorContinuationIsAnsweredAndExplained()
{
    const ImapReply reply =
        openAndAuthenticate({"C: a1 AUTHENTICATE XOAUTH2 " + response, "S: + " + gmailError,
                             "C: ", "S: a1 NO [AUTHENTICATIONFAILED] Invalid credentials (Failure)",
                             "S: * OK still here"},
                            true);
    QVERIFY2(m_server->mismatches().isEmpty(), qPrintable(m_server->mismatches().join(u'\n')));
    QCOMPARE(reply.end, ImapReply::End::Completed);
    QCOMPARE(reply.completion.name, QByteArray("NO"));
    QCOMPARE(reply.completion.code, QByteArray("AUTHENTICATIONFAILED"));
    const QString text = reply.failureText();
    QVERIFY2(text.contains(QStringLiteral("Invalid credentials (Failure)")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("status 401")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("scope https://mail.google.com/")), qPrintable(text));
    QVERIFY(m_connection->isOpen());
}

void tst_imapXOAuth2::readsSaslIrFromCapabilities_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<bool>("offered");

    QTest::newRow("in the greeting's code")
        << QByteArray("* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready") << true;
    QTest::newRow("a longer name is not it")
        << QByteArray("* OK [CAPABILITY IMAP4rev1 X-SASL-IR-LIKE] ready") << false;
    QTest::newRow("no capabilities (Gmail's greeting)")
        << QByteArray("* OK Gimap ready for requests") << false;
}

void tst_imapXOAuth2::readsSaslIrFromCapabilities()
{
    QFETCH(QByteArray, greeting);
    QFETCH(bool, offered);

    ImapReply reply;
    reply.completion = ImapResponse::parse(greeting);
    QCOMPARE(XOAuth2::offersSaslIr(reply), offered);

    ImapReply capability;
    capability.untagged.append(ImapResponse::parse("* CAPABILITY IMAP4rev1 SASL-IR"));
    QVERIFY(XOAuth2::offersSaslIr(capability));
}

QTEST_GUILESS_MAIN(tst_imapXOAuth2)
#include "tst_imapXOAuth2.moc"
