#include "DovecotFixture.h"
#include "ImapComponent.h"
#include "ServerOverride.h"

#include <QFile>
#include <QScopeGuard>
#include <QTest>

namespace {

const QString identification = QStringLiteral("ID (\"GUID\" \"1\")");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The component against a real server: certificates, sign-in, listing, selecting and fetching,
// with the mailbox left exactly as it was.
class tst_ImapComponentDovecot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void verifiesTheCertificate_data();
    void verifiesTheCertificate();
    void refusesAnUntrustedAuthority();
    void signsIn_data();
    void signsIn();
    void answersTheIdentification();
    void listsEveryMailboxDecoded();
    void selectsByName_data();
    void selectsByName();
    void fetchesWhatWasSeeded_data();
    void fetchesWhatWasSeeded();
    void leavesMessagesUnseen();
    void signInSwitchesCompressionOn();
    void missingMessage();
    void narrowsToWhatTheSearchFinds_data();
    void narrowsToWhatTheSearchFinds();

private:
    void connectAndSignIn();

    DovecotFixture m_fixture;
    std::unique_ptr<ImapComponent> m_client;
};

void tst_ImapComponentDovecot::init()
{
    m_fixture.exportToEnvironment();
    m_client = std::make_unique<ImapComponent>();
    m_client->setServerOverride(ServerOverride::fromEnvironment());
    m_client->SetEncryption(true);
    m_client->SetPort(993);
}

void tst_ImapComponentDovecot::cleanup()
{
    if (m_client)
        m_client->CloseConnection();
    m_client.reset();
}

void tst_ImapComponentDovecot::connectAndSignIn()
{
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QVERIFY(!m_client->SendRawLine(identification).isEmpty());
    QCOMPARE(m_client->SignIn(m_fixture.user(), m_fixture.password()), 1);
}

void tst_ImapComponentDovecot::verifiesTheCertificate_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("by address") << QStringLiteral("127.0.0.1");
    QTest::newRow("by name") << QStringLiteral("localhost");
}

void tst_ImapComponentDovecot::verifiesTheCertificate()
{
    QFETCH(QString, host);
    qputenv("TESSALINE_IMAP_HOST",
            QStringLiteral("%1:%2").arg(host).arg(m_fixture.port()).toUtf8());
    m_client->setServerOverride(ServerOverride::fromEnvironment());
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(m_client->FailureText(), QString());
}

void tst_ImapComponentDovecot::refusesAnUntrustedAuthority()
{
    qputenv("TESSALINE_CA_FILE", m_fixture.untrustedCaFile().toUtf8());
    m_client->setServerOverride(ServerOverride::fromEnvironment());
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 0);
    QVERIFY2(m_client->FailureText().startsWith(QStringLiteral("TLS handshake with")),
             qPrintable(m_client->FailureText()));
    QCOMPARE(m_client->SignIn(m_fixture.user(), m_fixture.password()), 0);
}

void tst_ImapComponentDovecot::signsIn_data()
{
    QTest::addColumn<bool>("quirky");
    QTest::addColumn<QString>("password"); // empty: the right one
    QTest::addColumn<int>("status");

    QTest::newRow("plain password") << false << QString() << 1;
    QTest::newRow("quote, backslash, space and non-ASCII") << true << QString() << 1;
    QTest::newRow("wrong password") << false << QStringLiteral("not-the-password") << 0;
    QTest::newRow("nearly the quirky password") << true << QStringLiteral("p\"a\\ss word") << 0;
}

void tst_ImapComponentDovecot::signsIn()
{
    QFETCH(bool, quirky);
    QFETCH(QString, password);
    QFETCH(int, status);
    const QString user = quirky ? m_fixture.quirkyUser() : m_fixture.user();
    if (password.isEmpty())
        password = quirky ? m_fixture.quirkyPassword() : m_fixture.password();

    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(m_client->SignIn(user, password), status);
    if (status == 1) {
        // A LOGIN OK alone proves little: the server must also serve the mailbox.
        QCOMPARE(m_client->OpenMailbox(QString()), 1);
        QCOMPARE(m_client->MessageCount(), 10);
    } else {
        QVERIFY2(
            m_client->FailureText().startsWith(QStringLiteral("LOGIN failed, server replied: NO")),
            qPrintable(m_client->FailureText()));
        QCOMPARE(m_client->OpenMailbox(QString()), 0);
    }
}

void tst_ImapComponentDovecot::answersTheIdentification()
{
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    const QString reply = m_client->SendRawLine(identification);
    QVERIFY2(reply.startsWith(QStringLiteral("* ID (")), qPrintable(reply));
    QVERIFY2(reply.contains(QStringLiteral("\r\na1 OK")), qPrintable(reply));
    QVERIFY(!reply.endsWith(QStringLiteral("\r\n")));
    QTRY_VERIFY(readFile(m_fixture.logFile()).contains("GUID=1"));
}

void tst_ImapComponentDovecot::listsEveryMailboxDecoded()
{
    connectAndSignIn();
    const std::optional<FolderListing> listing =
        m_client->ListFolders(QString(), QStringLiteral("*"));
    QVERIFY2(listing, qPrintable(m_client->FailureText()));
    const QStringList names = ListedNames(*listing);
    const QStringList expected = {
        QString::fromUtf8("\xc3\x89v\xc3\xa9nements"),
        QStringLiteral("Work"),
        QStringLiteral("Personal"),
        QStringLiteral("Personal/Receipts"),
        QStringLiteral("[Gmail]"),
        QStringLiteral("[Gmail]/Trash"),
        QStringLiteral("[Gmail]/Starred"),
        QStringLiteral("[Gmail]/Spam"),
        QStringLiteral("[Gmail]/Sent Mail"),
        QStringLiteral("[Gmail]/Important"),
        QStringLiteral("[Gmail]/Drafts"),
        QStringLiteral("[Gmail]/All Mail"),
        QStringLiteral("INBOX"),
    };
    QCOMPARE(names, expected);
}

void tst_ImapComponentDovecot::selectsByName_data()
{
    QTest::addColumn<QString>("mailbox");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("count");

    QTest::newRow("empty name is the inbox") << QString() << 1 << 10;
    QTest::newRow("INBOX") << QStringLiteral("INBOX") << 1 << 10;
    QTest::newRow("system folder with a space") << QStringLiteral("[Gmail]/All Mail") << 1 << 2;
    QTest::newRow("empty system folder") << QStringLiteral("[Gmail]/Drafts") << 1 << 0;
    QTest::newRow("non-ASCII label") << QString::fromUtf8("\xc3\x89v\xc3\xa9nements") << 1 << 2;
    QTest::newRow("nested label") << QStringLiteral("Personal/Receipts") << 1 << 2;
    QTest::newRow("not selectable") << QStringLiteral("[Gmail]") << 0 << 0;
    QTest::newRow("no such mailbox") << QStringLiteral("No \"such\" box") << 0 << 0;
}

void tst_ImapComponentDovecot::selectsByName()
{
    QFETCH(QString, mailbox);
    QFETCH(int, status);
    QFETCH(int, count);
    connectAndSignIn();
    QCOMPARE(m_client->OpenMailbox(mailbox), status);
    QCOMPARE(m_client->MessageCount(), count);
    QCOMPARE(m_client->FailureText().isEmpty(), status == 1);
    if (status == 0)
        QVERIFY(m_client->FailureText().startsWith(
            QStringLiteral("EXAMINE failed, server replied: NO")));
}

void tst_ImapComponentDovecot::fetchesWhatWasSeeded_data()
{
    QTest::addColumn<QString>("mailbox");
    QTest::addColumn<bool>("html");
    for (const QString &mailbox : m_fixture.seededMailboxes()) {
        QTest::addRow("%s, text only", qPrintable(mailbox)) << mailbox << false;
        QTest::addRow("%s, with HTML", qPrintable(mailbox)) << mailbox << true;
    }
}

void tst_ImapComponentDovecot::fetchesWhatWasSeeded()
{
    QFETCH(QString, mailbox);
    QFETCH(bool, html);
    connectAndSignIn();
    m_client->SetFetchHtmlBodies(html);
    // Small batches, so that a few seeded messages still take several of them.
    m_client->setFetchAheadLimits(4096, 2, 3);
    QCOMPARE(m_client->OpenMailbox(mailbox), 1);
    const QStringList seeds = m_fixture.seedFiles(mailbox);
    QCOMPARE(m_client->MessageCount(), seeds.size());
    for (int number = 1; number <= seeds.size(); ++number) {
        const std::optional<MailMessage> fetched = m_client->FetchMessage(number, false);
        QVERIFY2(fetched, qPrintable(m_client->FailureText()));
        const std::optional<MailMessage> seeded =
            MailMessage::fromRfc822(readFile(seeds.at(number - 1)));
        QVERIFY(seeded);
        QCOMPARE(fetched->from, seeded->from);
        QCOMPARE(fetched->subject, seeded->subject);
        QCOMPARE(fetched->date, seeded->date);
        QCOMPARE(fetched->plainTextBody, seeded->plainTextBody);
        // Without HTML asked for, only a message with no plain part has its HTML fetched.
        const bool htmlOnly = seeded->plainTextBody == seeded->htmlTextBody;
        QCOMPARE(fetched->htmlTextBody, html || htmlOnly ? seeded->htmlTextBody : QString());
    }
}

void tst_ImapComponentDovecot::signInSwitchesCompressionOn()
{
    connectAndSignIn();
    // The server says so when asked a second time, over the compressed stream.
    const QString again = m_client->SendRawLine(QStringLiteral("COMPRESS DEFLATE"));
    QVERIFY2(again.contains(QStringLiteral("COMPRESSIONACTIVE")), qPrintable(again));
    QCOMPARE(m_client->OpenMailbox(QStringLiteral("INBOX")), 1);
    QVERIFY2(m_client->FetchMessage(1, false), qPrintable(m_client->FailureText()));
}

void tst_ImapComponentDovecot::leavesMessagesUnseen()
{
    // The seeded mail is all read; a second connection marks one message unread for the length
    // of this test and puts the flag back afterwards.
    ImapComponent observer;
    observer.setServerOverride(ServerOverride::fromEnvironment());
    QCOMPARE(observer.OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(observer.SignIn(m_fixture.user(), m_fixture.password()), 1);
    QVERIFY(!observer.SendRawLine(QStringLiteral("SELECT \"Personal/Receipts\"")).isEmpty());
    QVERIFY(observer.SendRawLine(QStringLiteral("STORE 1 -FLAGS.SILENT (\\Seen)"))
                .contains(QStringLiteral(" OK")));
    auto restore = qScopeGuard(
        [&observer] { observer.SendRawLine(QStringLiteral("STORE 1 +FLAGS.SILENT (\\Seen)")); });

    connectAndSignIn();
    QCOMPARE(m_client->OpenMailbox(QStringLiteral("Personal/Receipts")), 1);
    QVERIFY2(m_client->FetchMessage(1, false), qPrintable(m_client->FailureText()));
    m_client->CloseConnection();

    const QString flags = observer.SendRawLine(QStringLiteral("FETCH 1 (FLAGS)"));
    QVERIFY2(flags.contains(QStringLiteral("* 1 FETCH (FLAGS (")), qPrintable(flags));
    QVERIFY2(!flags.contains(QStringLiteral("\\Seen")), qPrintable(flags));
}

void tst_ImapComponentDovecot::missingMessage()
{
    connectAndSignIn();
    QCOMPARE(m_client->OpenMailbox(QStringLiteral("[Gmail]/Drafts")), 1);
    QCOMPARE(m_client->FetchMessage(1, false), std::nullopt);
    QVERIFY(!m_client->FailureText().isEmpty());
    // The failed fetch leaves the connection usable.
    QCOMPARE(m_client->OpenMailbox(QStringLiteral("Work")), 1);
    QVERIFY2(m_client->FetchMessage(3, false), qPrintable(m_client->FailureText()));
}

void tst_ImapComponentDovecot::narrowsToWhatTheSearchFinds_data()
{
    // Without Gmail's extensions the search goes over as standard keys. Dates are the server's
    // arrival dates (the seeding day), so only far-off ones give a fixed answer.
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("subjects"); // of the matches in mailbox order
    QTest::addColumn<QString>("refusal"); // part of the failure; empty: none
    QTest::newRow("sender") << QStringLiteral("from:shop")
                            << QStringList {QStringLiteral("Your receipt"),
                                            QStringLiteral("Order #12345 shipped")}
                            << QString();
    QTest::newRow("subject and a word")
        << QStringLiteral("subject:invoice after:2000/01/01 supplier")
        << QStringList {QStringLiteral("Invoice INV-2022-0042")} << QString();
    QTest::newRow("phrase") << QStringLiteral("\"Weekly newsletter\"")
                            << QStringList {QStringLiteral("Weekly newsletter")} << QString();
    QTest::newRow("non-ASCII") << QString::fromUtf8("subject:Grüße")
                               << QStringList {QString::fromUtf8("Grüße aus München")} << QString();
    QTest::newRow("nothing before")
        << QStringLiteral("before:2000/01/01") << QStringList() << QString();
    QTest::newRow("no translation") << QStringLiteral("from:shop has:attachment") << QStringList()
                                    << QStringLiteral("\"has:attachment\"");
    QTest::newRow("no such date") << QStringLiteral("after:2024/13/01") << QStringList()
                                  << QStringLiteral("\"after:2024/13/01\"");
}

void tst_ImapComponentDovecot::narrowsToWhatTheSearchFinds()
{
    QFETCH(QString, search);
    QFETCH(QStringList, subjects);
    QFETCH(QString, refusal);
    connectAndSignIn();
    QCOMPARE(m_client->OpenMailbox(QStringLiteral("INBOX")), 1);
    QCOMPARE(m_client->NarrowTo(search), refusal.isEmpty() ? 1 : 0);
    if (!refusal.isEmpty()) {
        QVERIFY2(m_client->FailureText().contains(refusal), qPrintable(m_client->FailureText()));
        return;
    }
    QCOMPARE(m_client->MessageCount(), subjects.size());
    QStringList found;
    for (int number = 1; number <= m_client->MessageCount(); ++number) {
        const std::optional<MailMessage> message = m_client->FetchMessage(number, false);
        QVERIFY2(message, qPrintable(m_client->FailureText()));
        found.append(message->subject);
    }
    QCOMPARE(found, subjects);
    // An empty search reads the whole folder again.
    QCOMPARE(m_client->NarrowTo(QString()), 1);
    QCOMPARE(m_client->OpenMailbox(QStringLiteral("INBOX")), 1);
    QCOMPARE(m_client->MessageCount(), m_fixture.seedFiles(QStringLiteral("INBOX")).size());
}

QTEST_GUILESS_MAIN(tst_ImapComponentDovecot)
#include "tst_ImapComponentDovecot.moc"
