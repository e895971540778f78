#include "tst_clsImapSessionRig.h"

#include "DovecotFixture.h"
#include "ScriptedPrompts.h"
#include "TestEnvironment.h"

#include "ApplicationTitle.h"
#include "GeneralDate.h"

#include <QLocale>
#include <QTest>

// The session against the real server of the test fixture.
class tst_clsImapSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void connectSignsIn();
    void wrongPasswordShowsTheFailureMessageOnce_data();
    void wrongPasswordShowsTheFailureMessageOnce();
    void totalMessages_data();
    void totalMessages();
    void listingFindsSystemFoldersByFlag_data();
    void listingFindsSystemFoldersByFlag();
    void fullRetrievalRaisesOneEventPerMessage();
    void stopEndsAtTheNextFetchedMessage();
    void maxRecordBelowCurrentLocationReadsNothing();
    void numbersPastTheEndEndTheRunWithANote();
    void ownerDroppingTheSessionMidRunIsSafe();
    void serverEndingTheSessionMidRunLosesNothing();
    void addressScraping_data();
    void addressScraping();

private:
    std::unique_ptr<DovecotFixture> m_server;
    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    int m_inboxCount = 0;
};

void tst_clsImapSession::initTestCase()
{
    m_server = std::make_unique<DovecotFixture>();
    m_server->exportToEnvironment();
    m_inboxCount = int(m_server->seedFiles(QStringLiteral("INBOX")).size());
    QVERIFY(m_inboxCount >= 10);
}

void tst_clsImapSession::init()
{
    m_prompts.reset();
    m_environment = std::make_unique<TestEnvironment>();
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void tst_clsImapSession::connectSignsIn()
{
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    QVERIFY(rig.session->Connect());
    // A second Connect on a signed-in component simply repeats the sequence.
    QVERIFY(rig.session->Connect());
}

void tst_clsImapSession::wrongPasswordShowsTheFailureMessageOnce_data()
{
    QTest::addColumn<bool>("answerYes");
    QTest::newRow("No shows nothing more") << false;
    QTest::newRow("Yes opens both pictures") << true;
}

void tst_clsImapSession::wrongPasswordShowsTheFailureMessageOnce()
{
    QFETCH(bool, answerYes);
    m_prompts->answerMessage(answerYes ? Prompts::Answer::Yes : Prompts::Answer::No);
    SessionRig rig(m_server->user(), QStringLiteral("not-the-password"));

    QVERIFY(!rig.session->Connect());

    QCOMPARE(m_prompts->messageTexts().size(), 1);
    const ScriptedPrompts::Box box = m_prompts->boxes().constFirst();
    QCOMPARE(box.title, ApplicationTitle());
    // The server's own words, then the advice for a wrong user name or app password.
    QVERIFY2(box.text.startsWith(QStringLiteral(
                 "Invalid login. Gmail said: [AUTHENTICATIONFAILED] Authentication failed.\r\n\r\n"
                 "Please double-check your user name")),
             qPrintable(box.text));
    QVERIFY(box.text.endsWith(
        QStringLiteral("\r\n\r\nWould you like to see how to create an app password?")));
    QCOMPARE(box.buttons, Prompts::Buttons::YesNo);
    QCOMPARE(box.icon, Prompts::Icon::None);
    const QStringList pictures {
        ProgramFilePath(QStringLiteral("Pictures/less-secure-apps1.jpg")),
        ProgramFilePath(QStringLiteral("Pictures/less-secure-apps2.jpg")),
    };
    QCOMPARE(m_prompts->launched(), answerYes ? pictures : QStringList());
}

void tst_clsImapSession::totalMessages_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("expected"); // -1: the inbox's seeded count
    QTest::addColumn<bool>("failureShown");

    QTest::newRow("empty name is the inbox") << QString() << -1 << false;
    QTest::newRow("system folder") << QStringLiteral("[Gmail]/Sent Mail") << 2 << false;
    QTest::newRow("empty system folder") << QStringLiteral("[Gmail]/Drafts") << 0 << false;
    QTest::newRow("non-ASCII label") << QStringLiteral("Événements") << 2 << false;
    QTest::newRow("no such mailbox") << QStringLiteral("No Such Folder") << 0 << true;
}

void tst_clsImapSession::totalMessages()
{
    QFETCH(QString, folder);
    QFETCH(int, expected);
    QFETCH(bool, failureShown);
    if (expected < 0)
        expected = m_inboxCount;
    m_prompts->answerMessage(Prompts::Answer::No);
    SessionRig rig(m_server->user(), m_server->password());
    QVERIFY(rig.session->Connect());

    QCOMPARE(rig.session->GetTotalMessage(folder), expected);
    QCOMPARE(m_prompts->messageTexts().size(), failureShown ? 1 : 0);
}

void tst_clsImapSession::listingFindsSystemFoldersByFlag_data()
{
    QTest::addColumn<QString>("tree"); // empty: the main account
    QTest::addColumn<QStringList>("captions"); // button order; empty: the server hides it

    QTest::newRow("[Gmail], English")
        << QString()
        << QStringList {"All Mail", "Drafts", "Sent Mail", "Spam", "Starred", "Trash", "Important"};
    QTest::newRow("[Google Mail], British")
        << QStringLiteral("googlemail")
        << QStringList {"All Mail", "Drafts", "Sent Mail", "Spam", "Starred", "Bin", "Important"};
    QTest::newRow("[Gmail], French")
        << QStringLiteral("french")
        << QStringList {"Tous les messages", "Brouillons", "Messages envoyés", "Spam", "Suivis",
                        "Corbeille",         "Important"};
    QTest::newRow("Sent Mail hidden from IMAP")
        << QStringLiteral("hidden")
        << QStringList {"All Mail", "Drafts", "", "Spam", "Starred", "Trash", "Important"};
}

// Captions, the mailbox each button opens (it holds the main account's messages of the English
// folder at that place) and the labels, on each of the fixture's naming trees.
void tst_clsImapSession::listingFindsSystemFoldersByFlag()
{
    QFETCH(QString, tree);
    QFETCH(QStringList, captions);
    m_prompts->expectNoBoxes();
    gmailFolderNames.fill(QStringLiteral("earlier"));
    SessionRig rig(tree.isEmpty() ? m_server->user() : m_server->treeUser(tree),
                   m_server->password());
    QVERIFY(rig.session->Connect());

    QVERIFY(rig.session->EnumMailFolders());

    QCOMPARE(QStringList(gmailFolderNames.cbegin() + 1, gmailFolderNames.cend()), captions);
    QCOMPARE(gmailFolderNames[0], QStringLiteral("earlier"));
    // Neither "[Gmail]" nor "Personal" (\Noselect), nor a system folder under its own name.
    QCOMPARE(mailboxLabels, (QStringList {"Événements", "Work", "Personal/Receipts"}));
    for (int index = 0; index < SystemFolders::Count; ++index) {
        const SystemFolder folder = SystemFolders::at(index);
        const QString mailbox = gmailSystemFolders.mailbox(folder);
        QCOMPARE(mailbox.isEmpty(), captions.at(index).isEmpty());
        if (mailbox.isEmpty())
            continue;
        QVERIFY(mailbox.endsWith(u'/' + captions.at(index)));
        const QString seeded = QStringLiteral("[Gmail]/") + SystemFolders::designCaption(folder);
        QCOMPARE(rig.session->GetTotalMessage(mailbox), int(m_server->seedFiles(seeded).size()));
    }
}

void tst_clsImapSession::fullRetrievalRaisesOneEventPerMessage()
{
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = m_inboxCount;

    rig.session->StartMailExtraction(QString());

    QList<int> expectedNumbers;
    for (int number = 1; number <= m_inboxCount; ++number)
        expectedNumbers.append(number);
    QCOMPARE(rig.listedNumbers(), expectedNumbers);
    QCOMPARE(rig.session->CurrentLocation, m_inboxCount);
    QCOMPARE(SessionRig::errorLogEntries(), m_inboxCount);
    QVERIFY(!rig.session->ConnectionLost());

    const MailListing &first = rig.listings.at(0);
    QCOMPARE(first.From, QStringLiteral("Alice Archer <alice@example.test>"));
    QCOMPARE(first.FromName, QStringLiteral("Alice Archer"));
    QCOMPARE(first.FromAddress, QStringLiteral("alice@example.test"));
    QCOMPARE(first.Subject, QStringLiteral("Quarterly figures"));
    QCOMPARE(first.ReceivedDate,
             GeneralDateText(QDateTime(QDate(2022, 1, 3), QTime(9, 15), Qt::UTC)));
    QVERIFY(first.PlainTextBody.startsWith(QStringLiteral("Hello team,\r\n\r\nRevenue")));

    const MailListing &lineFeeds = rig.listings.at(1);
    QCOMPARE(lineFeeds.PlainTextBody,
             QStringLiteral("first line\r\nsecond line\r\n\r\nfourth line after an empty one\r\n"));

    const MailListing &encoded = rig.listings.at(2);
    QCOMPARE(encoded.From, QStringLiteral("Jürgen Müller <juergen@example.de>"));
    QCOMPARE(encoded.Subject, QStringLiteral("Grüße aus München"));

    const MailListing &htmlOnly = rig.listings.at(5);
    QVERIFY(htmlOnly.HTMLTextBody.contains(QStringLiteral("Thank you for your purchase.")));
    QCOMPARE(htmlOnly.PlainTextBody, htmlOnly.HTMLTextBody);

    const MailListing &midnight = rig.listings.at(7);
    QCOMPARE(midnight.ReceivedDate,
             QLocale::system().toString(QDate(2022, 1, 1), QLocale::ShortFormat));
}

void tst_clsImapSession::stopEndsAtTheNextFetchedMessage()
{
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = m_inboxCount;
    rig.onListing = [&rig](MailListing &listing) {
        if (listing.uID == 3)
            rig.session->AbortProcess = true;
    };

    rig.session->StartMailExtraction(QString());

    QCOMPARE(rig.listedNumbers(), (QList<int> {1, 2, 3}));
    // Message 4 was fetched (and logged) but not reported.
    QCOMPARE(rig.session->CurrentLocation, 4);
    QCOMPARE(SessionRig::errorLogEntries(), 4);
    QVERIFY(!rig.session->ConnectionLost());
}

void tst_clsImapSession::maxRecordBelowCurrentLocationReadsNothing()
{
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    rig.session->CurrentLocation = 5;
    rig.session->MaxRecord = 4;

    rig.session->StartMailExtraction(QString());

    QVERIFY(rig.listings.isEmpty());
    QCOMPARE(rig.session->CurrentLocation, 5);
    QCOMPARE(SessionRig::errorLogEntries(), 0);
}

void tst_clsImapSession::numbersPastTheEndEndTheRunWithANote()
{
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    rig.session->CurrentLocation = m_inboxCount - 1;
    rig.session->MaxRecord = m_inboxCount + 2;

    rig.session->StartMailExtraction(QString());

    // The run ends at the folder's real end and says so, rather than asking for each number.
    QCOMPARE(rig.listedNumbers(), (QList<int> {m_inboxCount - 1, m_inboxCount}));
    QCOMPARE(rig.session->CurrentLocation, m_inboxCount + 1);
    QCOMPARE(SessionRig::errorLogEntries(), 2);
    QVERIFY(!rig.session->ConnectionLost());
    QCOMPARE(rig.session->LastRunSummary().end(), RunSummary::End::MailboxEnded);
    QVERIFY(!rig.session->LastRunSummary().hasGaps());
}

void tst_clsImapSession::ownerDroppingTheSessionMidRunIsSafe()
{
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    std::weak_ptr<clsImapSession> watch = rig.session;
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = 4;
    rig.onListing = [&rig](MailListing &listing) {
        if (listing.uID == 2)
            rig.session.reset();
    };

    clsImapSession *running = rig.session.get(); // no strong reference besides the owner's

    running->StartMailExtraction(QString());

    QCOMPARE(rig.listedNumbers(), (QList<int> {1, 2, 3, 4}));
    QVERIFY(watch.expired());
    QCOMPARE(SessionRig::errorLogEntries(), 4);
}

void tst_clsImapSession::addressScraping_data()
{
    QTest::addColumn<QString>("extractType");
    QTest::addColumn<QStringList>("expected");

    const QString from = QStringLiteral("carol@example.test");
    // Five-letter top-level label (x@y.museum) is never reported; a co.uk domain is whole.
    const QStringList body {"a@b.co.uk", "Mixed.Case@Example.COM",
                            "first.last+news@mail.example.org", "d_o-neil@example.net",
                            "a@b.co.uk"};
    QTest::newRow("body") << "BODY" << body;
    QTest::newRow("from") << "FROM" << QStringList {from};
    QTest::newRow("subject without addresses") << "SUBJECT" << QStringList();
    QTest::newRow("lower case scrapes nothing") << "from body subject" << QStringList();
    QTest::newRow("words run together, From first") << "BODYFROM" << QStringList {from} + body;
    QTest::newRow("any order with separators")
        << "SUBJECT, BODY and FROM" << QStringList {from} + body;
}

void tst_clsImapSession::addressScraping()
{
    QFETCH(QString, extractType);
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->user(), m_server->password());
    rig.session->CurrentLocation = 8; // the address-rich message
    rig.session->MaxRecord = 8;

    rig.session->StartExtraction(QString(), extractType);

    QTEST(rig.addresses, "expected");
    QVERIFY(rig.listings.isEmpty());
    QCOMPARE(SessionRig::errorLogEntries(), 1);
}

void tst_clsImapSession::serverEndingTheSessionMidRunLosesNothing()
{
    // The second account holds the same mail; kicking it out disturbs no other test's
    // connections.
    m_prompts->expectNoBoxes();
    SessionRig rig(m_server->quirkyUser(), m_server->quirkyPassword());
    rig.component.setReconnectPauses({1, 1, 1});
    rig.component.setFetchAheadLimits(1, 1, 1); // one message per command: the kick falls between
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = m_inboxCount;
    bool kicked = false;
    rig.onListing = [&](MailListing &listing) {
        if (listing.uID == 3)
            kicked = m_server->kick(m_server->quirkyUser());
    };

    rig.session->StartMailExtraction(QString());

    QVERIFY(kicked);
    QList<int> every;
    for (int number = 1; number <= m_inboxCount; ++number)
        every.append(number);
    QCOMPARE(rig.listedNumbers(), every);
    QCOMPARE(rig.session->LastRunSummary().end(), RunSummary::End::Complete);
    QVERIFY(!rig.session->LastRunSummary().hasGaps());
}

QTEST_GUILESS_MAIN(tst_clsImapSession)
#include "tst_clsImapSession.moc"
