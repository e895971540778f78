#include "FakeImapServer.h"
#include "ImapComponent.h"
#include "ServerOverride.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

QByteArray message(int number)
{
    return "From: Ann Example <ann@example.test>\r\n"
           "To: tess@example.test\r\n"
           "Subject: Message "
        + QByteArray::number(number)
        + "\r\n"
          "Date: Tue, 02 Mar 2021 10:00:00 +0000\r\n"
          "Content-Type: text/plain; charset=us-ascii\r\n"
          "\r\n"
          "Body of message "
        + QByteArray::number(number) + "\r\n";
}

using Script = QList<QByteArray>;

FakeImapServer::Messages messages(int first, int last)
{
    FakeImapServer::Messages numbered;
    for (int number = first; number <= last; ++number)
        numbered.append({number, message(number)});
    return numbered;
}

Script structures(int tag, int first, int last)
{
    return FakeImapServer::structureExchange(tag, first, last, messages(first, last));
}

QByteArray structureRequest(int tag, int first, int last)
{
    return structures(tag, first, last).first();
}

// The opening with `exists` messages, then `steps` as numbered before the client lists the UIDs:
// the first fetch of a selection asks for them.
Script run(int exists, const Script &steps)
{
    return FakeImapServer::withUidList(FakeImapServer::signedInOpening(exists) + steps, exists);
}

// Messages first..last fetched ahead: their structures under `tag`, then their text under
// `tag + 1`.
Script fetchedAhead(int tag, int first, int last)
{
    return structures(tag, first, last)
        + FakeImapServer::textExchange(tag + 1, messages(first, last));
}

} // namespace

// Conversations with the scripted server: what goes on the wire, and how the component copes
// with the faults a real server produces only now and then.
class tst_ImapComponent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void signsInAndFetches();
    void identificationGoesWithTheSignIn();
    void countBringsListAndSizes_data();
    void countBringsListAndSizes();
    void identificationReplies_data();
    void identificationReplies();
    void refusesUnsafeRawLines();
    void credentialsWithAnyCharacter();
    void mailboxNamesOnTheWire_data();
    void mailboxNamesOnTheWire();
    void listsFoldersDecodedInServerOrder();
    void failedListing();
    void noToOneFetch();
    void refusalThatRepeatsEndsTheRun_data();
    void refusalThatRepeatsEndsTheRun();
    void messageLeftOutOrRefusedIsTriedOnItsOwn_data();
    void messageLeftOutOrRefusedIsTriedOnItsOwn();
    void overstatedCountEndsAtTheRealEnd();
    void deletedDuringTheRunShiftsNothing();
    void gmailRunsTheSearchAsTyped();
    void signedInConnectionIsKept();
    void keptConnectionThatDiedIsReplaced();
    void anotherUserGetsANewConnection();
    void fetchesOnlyTheTextParts();
    void wrongOrMissingStructureFallsBackToWholeMessage();
    void unreadableStructureCostsOnlyItsWindow();
    void byeMidRunDeliversEveryMessageOnce();
    void dropBetweenTwoCommandsInFlight();
    void droppedMidLiteralReconnects();
    void reconnectGivesUpAfterThreeAttempts();
    void noReconnectWithoutSignIn();
    void stallingServerTimesOut();
    void unreadableReplies_data();
    void unreadableReplies();
    void reportsProgressOfASplitLiteral();
    void abortCheckStopsTheWait();
    void closeConnectionWhileWaiting();
    void closeSaysLogoutEvenWhenTheProgramEndsAtOnce();
    void secondOperationWhileWaitingIsRefused();
    void destroyedWhileWaiting();
    void certificateIsVerified();

private:
    ImapComponent &client() { return *m_client; }
    // `afterItsCount`: the selection is the run's that follows its own count (a kept one stands).
    void connectAndSignIn(int exists = 3, bool afterItsCount = false);
    void readsThreeOnceOverTwoConnections();
    // Runs `action` from inside the first AbortCheck of the next operation.
    void onFirstAbortCheck(std::function<void(int &abort)> action);

    std::unique_ptr<FakeImapServer> m_server;
    QPointer<ImapComponent> m_client;
};

void tst_ImapComponent::init()
{
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_server->exportEnvironment();
    m_client = new ImapComponent;
    m_client->setServerOverride(ServerOverride::fromEnvironment());
    m_client->SetEncryption(true);
    m_client->SetPort(993);
    m_client->setReconnectPauses({1, 1, 1});
}

void tst_ImapComponent::cleanup()
{
    delete m_client;
    m_server.reset();
    qunsetenv("TESSALINE_IMAP_HOST");
    qunsetenv("TESSALINE_CA_FILE");
}

void tst_ImapComponent::connectAndSignIn(int exists, bool afterItsCount)
{
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QVERIFY(!client().SendRawLine(QStringLiteral("ID (\"GUID\" \"1\")")).isEmpty());
    QCOMPARE(client().SignIn(QStringLiteral("user"), QStringLiteral("secret")), 1);
    QCOMPARE(client().OpenMailbox(QString(), afterItsCount), 1);
    QCOMPARE(client().MessageCount(), exists);
}

void tst_ImapComponent::onFirstAbortCheck(std::function<void(int &abort)> action)
{
    auto done = std::make_shared<bool>(false);
    connect(m_client, &ImapComponent::AbortCheck, this, [done, action](int &abort) {
        if (!*done) {
            *done = true;
            action(abort);
        }
    });
}

void tst_ImapComponent::signsInAndFetches()
{
    m_server->addScenario(run(2, fetchedAhead(4, 1, 2)));
    connectAndSignIn(2);
    for (int number = 1; number <= 2; ++number) {
        const std::optional<MailMessage> fetched = client().FetchMessage(number, false);
        QVERIFY2(fetched, qPrintable(client().FailureText()));
        QCOMPARE(fetched->subject, QStringLiteral("Message %1").arg(number));
        QCOMPARE(fetched->fromAddress, QStringLiteral("ann@example.test"));
        QVERIFY(client().FailureText().isEmpty());
    }
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::identificationGoesWithTheSignIn()
{
    // The server reads both lines before it answers either.
    m_server->addScenario({"S: * OK ready", "C: a1 ID (\"GUID\" \"1\")", "C: a2 LOGIN user secret",
                           "S: * ID NIL", "S: a1 OK ID completed", "S: a2 OK Logged in"});
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().SendWithSignIn(QStringLiteral("ID (\"GUID\" \"1\")")), 1);
    QCOMPARE(client().SignIn(QStringLiteral("user"), QStringLiteral("secret")), 1);
    QVERIFY(!client().LineWithSignInFailed());
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::countBringsListAndSizes_data()
{
    QTest::addColumn<QByteArray>("examineEnd");
    QTest::addColumn<bool>("searchFollows");
    QTest::addColumn<QString>("failure"); // empty: counted, and the estimate asks nothing more

    QTest::newRow("selected") << QByteArray("a3 OK [READ-ONLY] Examine completed") << false
                              << QString();
    // What follows a refused selection is refused too, and goes unheard.
    QTest::newRow("selection refused")
        << QByteArray("a3 NO Mailbox doesn't exist: INBOX") << false
        << QStringLiteral("EXAMINE failed, server replied: NO Mailbox doesn't exist: INBOX");
    // The search's list replaces the mailbox's: neither it nor all the sizes are asked for.
    QTest::newRow("a search follows: the selection alone")
        << QByteArray("a3 OK [READ-ONLY] Examine completed") << true << QString();
}

void tst_ImapComponent::countBringsListAndSizes()
{
    QFETCH(QByteArray, examineEnd);
    QFETCH(bool, searchFollows);
    QFETCH(QString, failure);
    const Script opening = FakeImapServer::signedInOpening(2);
    const Script list = FakeImapServer::uidListExchange(4, 2);
    const Script sizes = FakeImapServer::sizeExchange(5, messages(1, 2));
    // The three requests reach the server before it answers any.
    Script script = opening.mid(0, 7) + Script {list.first(), sizes.first()};
    if (searchFollows)
        script = opening;
    else if (failure.isEmpty())
        script += opening.mid(7, 3) + Script {"S: " + examineEnd} + list.mid(1) + sizes.mid(1);
    else
        script += Script {"S: " + examineEnd, "S: a4 BAD No mailbox selected.",
                          "S: a5 BAD No mailbox selected."};
    m_server->addScenario(script);
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().SendWithSignIn(QStringLiteral("ID (\"GUID\" \"1\")")), 1);
    QCOMPARE(client().SignIn(QStringLiteral("user"), QStringLiteral("secret")), 1);

    if (searchFollows) {
        QCOMPARE(client().CountMailbox(QString(), true), 1);
        QCOMPARE(client().MessageCount(), 2);
    } else if (failure.isEmpty()) {
        QCOMPARE(client().CountMailbox(QString(), false), 1);
        QCOMPARE(client().MessageCount(), 2);
        QCOMPARE(client().EstimateDownload(1, 2),
                 std::optional<qint64>(message(1).size() + message(2).size()));
    } else {
        QCOMPARE(client().CountMailbox(QString(), false), 0);
        QCOMPARE(client().FailureText(), failure);
    }
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::identificationReplies_data()
{
    QTest::addColumn<Script>("reply");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("failure"); // a part of FailureText; empty: none

    QTest::newRow("server closes: empty reply")
        << Script {"X"} << QString() << QStringLiteral("connection closed by the server");
    QTest::newRow("BYE and close: empty reply")
        << Script {"S: * BYE Too many connections", "X"} << QString()
        << QStringLiteral("connection closed by the server: Too many connections");
    QTest::newRow("ID NIL is an answer")
        << Script {"S: * ID NIL", "S: a1 OK ID completed."}
        << QStringLiteral("* ID NIL\r\na1 OK ID completed.") << QString();
    QTest::newRow("completion alone is an answer")
        << Script {"S: a1 OK"} << QStringLiteral("a1 OK") << QString();
    QTest::newRow("BAD is an answer, and its text the failure")
        << Script {"S: a1 BAD Unknown command"} << QStringLiteral("a1 BAD Unknown command")
        << QStringLiteral("ID failed, server replied: BAD Unknown command");
    QTest::newRow("literal inside the reply kept whole")
        << Script {"S: * ID (\"name\" " + FakeImapServer::literal("Fa\r\nke") + ")", "S: a1 OK"}
        << QStringLiteral("* ID (\"name\" {6}\r\nFa\r\nke)\r\na1 OK") << QString();
}

void tst_ImapComponent::identificationReplies()
{
    QFETCH(Script, reply);
    QFETCH(QString, expected);
    QFETCH(QString, failure);
    m_server->addScenario(Script {"S: * OK ready", "C: a1 ID (\"GUID\" \"1\")"} + reply);
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().SendRawLine(QStringLiteral("ID (\"GUID\" \"1\")")), expected);
    if (failure.isEmpty())
        QCOMPARE(client().FailureText(), QString());
    else
        QVERIFY2(client().FailureText().contains(failure), qPrintable(client().FailureText()));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::refusesUnsafeRawLines()
{
    // A line break would smuggle a second command past the caller.
    m_server->addScenario({"S: * OK ready", "C: a1 NOOP", "S: a1 OK done"});
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().SendRawLine(QStringLiteral("NOOP\r\na9 DELETE INBOX")), QString());
    QVERIFY(!client().FailureText().isEmpty());
    QCOMPARE(client().SendRawLine(QString()), QString());
    QCOMPARE(client().SendRawLine(QStringLiteral("NOOP")), QStringLiteral("a1 OK done"));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::credentialsWithAnyCharacter()
{
    m_server->addScenario({
        "S: * OK ready",
        "C: a1 LOGIN tess@example.test {12}",
        "S: + OK",
        "C: p\"a\\ss w\xc3\xb6rd",
        "S: a1 NO [AUTHENTICATIONFAILED] Authentication failed.",
        "C: a2 LOGIN \"say \\\"hi\\\"\" \"back\\\\slash\"",
        "S: a2 OK Logged in",
    });
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().SignIn(QStringLiteral("tess@example.test"),
                             QString::fromUtf8("p\"a\\ss w\xc3\xb6rd")),
             0);
    QCOMPARE(client().FailureText(),
             QStringLiteral("LOGIN failed, server replied: NO [AUTHENTICATIONFAILED] "
                            "Authentication failed."));
    QCOMPARE(client().SignIn(QStringLiteral("say \"hi\""), QStringLiteral("back\\slash")), 1);
    QCOMPARE(client().SignIn(QStringLiteral("nul"), QString::fromUtf8("a\0b", 3)), 0);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::mailboxNamesOnTheWire_data()
{
    QTest::addColumn<QString>("mailbox");
    QTest::addColumn<QByteArray>("request");

    QTest::newRow("empty name is the inbox") << QString() << QByteArray("C: a1 EXAMINE INBOX");
    QTest::newRow("gmail folder with a space")
        << QStringLiteral("[Gmail]/All Mail") << QByteArray("C: a1 EXAMINE \"[Gmail]/All Mail\"");
    QTest::newRow("non-ASCII label") << QString::fromUtf8("\xc3\x89v\xc3\xa9nements")
                                     << QByteArray("C: a1 EXAMINE &AMk-v&AOk-nements");
    QTest::newRow("quotes and backslash")
        << QStringLiteral("a \"b\" \\c") << QByteArray("C: a1 EXAMINE \"a \\\"b\\\" \\\\c\"");
}

void tst_ImapComponent::mailboxNamesOnTheWire()
{
    QFETCH(QString, mailbox);
    QFETCH(QByteArray, request);
    m_server->addScenario({
        "S: * OK ready",
        request,
        "S: * 7 EXISTS",
        "S: a1 OK [READ-ONLY] Examine completed.",
        request.replace("a1", "a2"),
        "S: a2 NO [NONEXISTENT] Mailbox doesn't exist",
    });
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().OpenMailbox(mailbox), 1);
    QCOMPARE(client().MessageCount(), 7);
    QCOMPARE(client().OpenMailbox(mailbox), 0);
    QCOMPARE(client().MessageCount(), 0);
    QCOMPARE(
        client().FailureText(),
        QStringLiteral("EXAMINE failed, server replied: NO [NONEXISTENT] Mailbox doesn't exist"));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::listsFoldersDecodedInServerOrder()
{
    m_server->addScenario({
        "S: * OK ready",
        "C: a1 LIST \"\" \"*\"",
        "S: * LIST (\\HasNoChildren) \"/\" Work",
        "S: * LIST (\\Noselect \\HasChildren) \"/\" \"[Gmail]\"",
        "S: * LIST (\\HasNoChildren \\All) \"/\" \"[Gmail]/All Mail\"",
        "S: * LIST (\\HasNoChildren \\Drafts) \"/\" [Gmail]/Drafts",
        "S: * LIST (\\HasNoChildren) \"/\" &AMk-v&AOk-nements",
        "S: * LIST (\\HasNoChildren) \"/\" " + FakeImapServer::literal("Say \"hi\""),
        "S: * LIST (\\HasNoChildren) NIL \"back\\\\slash\"",
        "S: * LIST (\\HasNoChildren) \"/\" INBOX",
        "S: a1 OK List completed.",
    });
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    const std::optional<FolderListing> listing =
        client().ListFolders(QString(), QStringLiteral("*"));
    QVERIFY(listing);
    QCOMPARE(*listing,
             (FolderListing {
                 {QStringLiteral("Work"), QString(), true},
                 {QStringLiteral("[Gmail]"), QString(), false},
                 {QStringLiteral("[Gmail]/All Mail"), QStringLiteral("\\All"), true},
                 {QStringLiteral("[Gmail]/Drafts"), QStringLiteral("\\Drafts"), true},
                 {QString::fromUtf8("\xc3\x89v\xc3\xa9nements"), QString(), true},
                 {QStringLiteral("Say \"hi\""), QString(), true},
                 {QStringLiteral("back\\slash"), QString(), true},
                 {QStringLiteral("INBOX"), QString(), true},
             }));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::failedListing()
{
    m_server->addScenario({
        "S: * OK ready",
        "C: a1 LIST \"\" \"*\"",
        "S: a1 BAD Error in IMAP command LIST: Not logged in",
        "C: a2 LIST \"\" \"*\"",
        "S: a2 OK nothing there",
    });
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().ListFolders(QString(), QStringLiteral("*")), std::nullopt);
    QVERIFY(client().FailureText().contains(QStringLiteral("Not logged in")));
    QCOMPARE(client().ListFolders(QString(), QStringLiteral("*")), std::optional(FolderListing()));
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_ImapComponent::signedInConnectionIsKept()
{
    // Signing in again as the same user to the same server costs neither a connection nor a
    // LOGIN, and the server hears the identification once per connection. The fetch ahead still
    // running is waited out first, and what the first selection fetched is not served to the
    // second.
    m_server->addScenario(run(2, fetchedAhead(4, 1, 1) + structures(6, 2, 2))
                          + FakeImapServer::signedInAgain(8, 2)
                          + FakeImapServer::uidListExchange(9, 2)
                          + FakeImapServer::firstWindowBySequence(fetchedAhead(10, 1, 1))
                          + Script {structureRequest(12, 2, 2)});
    connectAndSignIn(2);
    client().setFetchAheadLimits(1, 1, 1);
    QVERIFY2(client().FetchMessage(1, false), qPrintable(client().FailureText()));
    connectAndSignIn(2);
    QVERIFY2(client().FetchMessage(1, false), qPrintable(client().FailureText()));
    QTRY_VERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->connectionCount(), 1);
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::keptConnectionThatDiedIsReplaced()
{
    // The run's sign-in after its count keeps the selection: the list of UIDs finds it gone,
    // and the new connection lists them on their own before fetching.
    m_server->addScenario(FakeImapServer::signedInOpening(1)
                          + Script {"C: a4 UID SEARCH ALL", "X"});
    m_server->addScenario(FakeImapServer::signedInOpening(1) + FakeImapServer::uidListExchange(4, 1)
                          + fetchedAhead(5, 1, 1));
    connectAndSignIn(1);
    connectAndSignIn(1, true);
    const std::optional<MailMessage> fetched = client().FetchMessage(1, false);
    QVERIFY2(fetched, qPrintable(client().FailureText()));
    QCOMPARE(m_server->connectionCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::anotherUserGetsANewConnection()
{
    Script other = FakeImapServer::signedInOpening(1);
    other.replace(4, "C: a2 LOGIN other pass");
    m_server->addScenario(FakeImapServer::signedInOpening(1));
    m_server->addScenario(other);
    connectAndSignIn(1);
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QVERIFY(!client().SendRawLine(QStringLiteral("ID (\"GUID\" \"1\")")).isEmpty());
    QCOMPARE(client().SignIn(QStringLiteral("other"), QStringLiteral("pass")), 1);
    QCOMPARE(client().OpenMailbox(QString()), 1);
    QCOMPARE(m_server->connectionCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::noToOneFetch()
{
    // The batch brings what it can; the message it could not bring is asked for on its own, so
    // that its failure is its own.
    Script batch = FakeImapServer::textExchange(5, {{1, message(1)}, {3, message(3)}});
    batch.first() = FakeImapServer::textRequest(5, {1, 2, 3});
    batch.last() = "S: a5 NO Some messages could not be fetched";
    m_server->addScenario(run(
        3,
        structures(4, 1, 3) + batch
            + Script {FakeImapServer::wholeRequest(6, {2}), "S: a6 NO Message is being expunged"}));
    connectAndSignIn(3);
    QVERIFY(client().FetchMessage(1, false));
    QCOMPARE(client().FetchMessage(2, false), std::nullopt);
    QCOMPARE(client().FailureText(),
             QStringLiteral("UID FETCH failed, server replied: NO Message is being expunged"));
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::Message);
    QVERIFY(client().FetchMessage(3, false));
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::None);
    QVERIFY(client().FailureText().isEmpty());
    // Past the UIDs listed at the start: nothing to ask the server.
    QCOMPARE(client().FetchMessage(4, false), std::nullopt);
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::MailboxEnded);
    QCOMPARE(m_server->connectionCount(), 1);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

namespace {

const QByteArray overQuota = "NO [OVERQUOTA] Account exceeded command or bandwidth limits.";

} // namespace

void tst_ImapComponent::refusalThatRepeatsEndsTheRun_data()
{
    QTest::addColumn<Script>("batch");
    QTest::addColumn<QByteArray>("refusal");
    QTest::newRow("structures") << Script {structureRequest(4, 1, 3), "S: a4 " + overQuota}
                                << overQuota;
    QTest::newRow("text, the limit without its code")
        << structures(4, 1, 3)
            + Script {FakeImapServer::textRequest(5, {1, 2, 3}),
                      "S: a5 NO Account exceeded command or bandwidth limits."}
        << QByteArray("NO Account exceeded command or bandwidth limits.");
    QTest::newRow("text, an alert") << structures(4, 1, 3)
            + Script {FakeImapServer::textRequest(5, {1, 2, 3}), "S: a5 NO [ALERT] Try later"}
                                    << QByteArray("NO [ALERT] Try later");
}

void tst_ImapComponent::refusalThatRepeatsEndsTheRun()
{
    // The message the batch could not bring is asked for once on its own; the same refusal
    // then ends the run: asking for the next message would only be refused again.
    QFETCH(Script, batch);
    QFETCH(QByteArray, refusal);
    const int tag = batch.size() > 2 ? 6 : 5;
    m_server->addScenario(run(3,
                              batch
                                  + Script {FakeImapServer::wholeRequest(tag, {1}),
                                            "S: a" + QByteArray::number(tag) + ' ' + refusal}));
    connectAndSignIn(3);
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::ServerLimit);
    QVERIFY2(refusal.endsWith(client().FailureText().toUtf8()), qPrintable(client().FailureText()));
    QCOMPARE(m_server->connectionCount(), 1);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::messageLeftOutOrRefusedIsTriedOnItsOwn_data()
{
    QTest::addColumn<Script>("batches");
    QTest::addColumn<QByteArray>("singleReply");
    QTest::addColumn<QString>("failure");
    Script describedTwo =
        FakeImapServer::structureExchange(4, 1, 3, {{1, message(1)}, {3, message(3)}});
    const Script textOfTwo = FakeImapServer::textExchange(5, {{1, message(1)}, {3, message(3)}});
    QTest::newRow("structures: left out of an OK")
        << describedTwo + textOfTwo << QByteArray("S: a6 OK Fetch completed")
        << QStringLiteral("message 2 was deleted from the folder during the run");
    describedTwo.last() = "S: a4 NO Some messages could not be fetched";
    QTest::newRow("structures: refused")
        << describedTwo + textOfTwo << QByteArray("S: a6 NO Message unavailable")
        << QStringLiteral("UID FETCH failed, server replied: NO Message unavailable");
    Script textLeftOut = textOfTwo;
    textLeftOut.first() = FakeImapServer::textRequest(5, {1, 2, 3});
    QTest::newRow("text: left out of an OK")
        << structures(4, 1, 3) + textLeftOut << QByteArray("S: a6 OK Fetch completed")
        << QStringLiteral("message 2 was deleted from the folder during the run");
}

void tst_ImapComponent::messageLeftOutOrRefusedIsTriedOnItsOwn()
{
    // Only the message itself is asked for again, once; its neighbours come from the batches,
    // which are not asked for again.
    QFETCH(Script, batches);
    QFETCH(QByteArray, singleReply);
    QFETCH(QString, failure);
    m_server->addScenario(
        run(3, batches + Script {FakeImapServer::wholeRequest(6, {2}), singleReply}));
    connectAndSignIn(3);
    QVERIFY(client().FetchMessage(1, false));
    QCOMPARE(client().FetchMessage(2, false), std::nullopt);
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::Message);
    QCOMPARE(client().FailureText(), failure);
    const std::optional<MailMessage> third = client().FetchMessage(3, false);
    QVERIFY2(third, qPrintable(client().FailureText()));
    QCOMPARE(third->subject, QStringLiteral("Message 3"));
    QCOMPARE(m_server->connectionCount(), 1);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::overstatedCountEndsAtTheRealEnd()
{
    // The server counts two million messages and holds two: its list of UIDs says where the
    // mailbox ends, and nothing past it is asked for. A reply that says the server is slowing
    // down is counted. The first window goes with the list, by the count the server gave.
    Script text = FakeImapServer::textExchange(6, messages(1, 2));
    text.last() = "S: a6 OK Success [THROTTLED]";
    Script structures = FakeImapServer::structureExchange(5, 1, 5, messages(1, 2));
    structures.first() = "C: a5 FETCH 1:5 (UID RFC822.SIZE BODYSTRUCTURE)";
    m_server->addScenario(FakeImapServer::signedInOpening(2000000)
                          + FakeImapServer::uidListExchange(4, 2) + structures + text);
    connectAndSignIn(2000000);
    client().setFetchAheadLimits(qint64(1) << 20, 5, 5);
    QCOMPARE(client().ThrottledCount(), 0);
    QVERIFY(client().FetchMessage(1, false));
    QVERIFY(client().FetchMessage(2, false));
    QCOMPARE(client().ThrottledCount(), 1);
    QCOMPARE(client().FetchMessage(3, false), std::nullopt);
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::MailboxEnded);
    QCOMPARE(client().FailureText(), QStringLiteral("the folder now holds 2 messages"));
    QCOMPARE(client().MessageCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::deletedDuringTheRunShiftsNothing()
{
    // Message 2 is deleted elsewhere while message 1 is read: from then on message 3 is sequence
    // number 2 on the server. Asking by UID, the run skips 2 with its reason and reads 3 as 3.
    Script third = fetchedAhead(8, 3, 3);
    for (QByteArray &step : third)
        step.replace("S: * 3 FETCH", "S: * 2 FETCH");
    m_server->addScenario(
        run(3,
            fetchedAhead(4, 1, 1)
                + Script {structureRequest(6, 2, 2), "S: * 2 EXPUNGE", "S: a6 OK Fetch completed.",
                          FakeImapServer::wholeRequest(7, {2}), "S: a7 OK Fetch completed."}
                + third));
    connectAndSignIn(3);
    client().setFetchAheadLimits(1, 1, 1);
    QVERIFY(client().FetchMessage(1, false));
    QCOMPARE(client().FetchMessage(2, false), std::nullopt);
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::Message);
    QCOMPARE(client().FailureText(),
             QStringLiteral("message 2 was deleted from the folder during the run"));
    QCOMPARE(client().MessageCount(), 3);
    const std::optional<MailMessage> last = client().FetchMessage(3, false);
    QVERIFY2(last, qPrintable(client().FailureText()));
    QCOMPARE(last->subject, QStringLiteral("Message 3"));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::gmailRunsTheSearchAsTyped()
{
    // Gmail names its extensions in its answer to the sign-in: the search goes over as typed,
    // a non-ASCII one as a literal, and the run reads the matches only.
    Script opening = FakeImapServer::signedInOpening(3);
    opening.replace(5, "S: a2 OK [CAPABILITY IMAP4rev1 X-GM-EXT-1 UIDPLUS] Logged in");
    m_server->addScenario(opening
                          + Script {"C: a4 UID SEARCH X-GM-RAW \"has:attachment invoice\"",
                                    "S: * SEARCH 3", "S: a4 OK SEARCH completed (Success)"}
                          + fetchedAhead(5, 3, 3)
                          + Script {"C: a7 UID SEARCH CHARSET UTF-8 X-GM-RAW {7}", "S: + go ahead",
                                    "C: Gr\xc3\xbc\xc3\x9f"
                                    "e",
                                    "S: * SEARCH", "S: a7 OK SEARCH completed (Success)"});
    connectAndSignIn(3);
    QCOMPARE(client().NarrowTo(QStringLiteral("has:attachment invoice")), 1);
    QCOMPARE(client().MessageCount(), 1);
    const std::optional<MailMessage> found = client().FetchMessage(1, false);
    QVERIFY2(found, qPrintable(client().FailureText()));
    QCOMPARE(found->subject, QStringLiteral("Message 3"));
    QCOMPARE(client().NarrowTo(QString::fromUtf8("Grüße")), 1);
    QCOMPARE(client().MessageCount(), 0);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

namespace {

const QByteArray plainPart =
    "(\"text\" \"plain\" (\"charset\" \"us-ascii\") NIL NIL \"7bit\" 20 1 NIL NIL NIL NIL)";

QByteArray headerOf(int number)
{
    const QByteArray whole = message(number);
    return whole.left(whole.indexOf("\r\n\r\n") + 4);
}

// A message's header and its section 1 (MIME header and body), as a server sends them.
QByteArray partsReply(int number, const QByteArray &mimeHeader, const QByteArray &body)
{
    return "S: * " + QByteArray::number(number) + " FETCH (UID " + QByteArray::number(number)
        + " BODY[HEADER] " + FakeImapServer::literal(headerOf(number)) + " BODY[1.MIME] "
        + FakeImapServer::literal(mimeHeader) + " BODY[1] " + FakeImapServer::literal(body) + ')';
}

QByteArray structureReply(int number, const QByteArray &items)
{
    return "S: * " + QByteArray::number(number) + " FETCH (UID " + QByteArray::number(number) + ' '
        + items + ')';
}

QByteArray sectionOneRequest()
{
    return " (BODY.PEEK[" + FakeImapServer::headerFields + "] BODY.PEEK[1.MIME] BODY.PEEK[1])";
}

} // namespace

void tst_ImapComponent::fetchesOnlyTheTextParts()
{
    // 1: one text part, fetched whole. 2: text and a PDF attachment. 3: text and HTML
    // alternatives. Neither the attachment nor the HTML goes over the wire.
    const QByteArray attachment = "(\"application\" \"pdf\" (\"name\" \"r.pdf\") NIL NIL "
                                  "\"base64\" 500000 NIL (\"attachment\" (\"filename\" "
                                  "\"r.pdf\")) NIL NIL)";
    const QByteArray html =
        "(\"text\" \"html\" (\"charset\" \"us-ascii\") NIL NIL \"7bit\" 30 1 NIL NIL NIL NIL)";
    const QByteArray mime = "Content-Type: text/plain; charset=utf-8\r\n"
                            "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    m_server->addScenario(
        run(3,
            Script {"C: a4 UID FETCH 1:3 (RFC822.SIZE BODYSTRUCTURE)",
                    FakeImapServer::structureExchange(4, 1, 1, messages(1, 1)).at(1),
                    structureReply(2,
                                   "RFC822.SIZE 700000 BODYSTRUCTURE (" + plainPart + attachment
                                       + " \"mixed\" (\"boundary\" \"b\") NIL NIL NIL)"),
                    structureReply(3,
                                   "BODYSTRUCTURE (" + plainPart + html
                                       + " \"alternative\" (\"boundary\" \"c\") NIL NIL NIL) "
                                         "RFC822.SIZE 900"),
                    "S: a4 OK Fetch completed."}
                + FakeImapServer::textExchange(5, messages(1, 1))
                + Script {"C: a6 UID FETCH 2:3" + sectionOneRequest(),
                          partsReply(2, mime, "Caf=C3=A9 two\r\n"),
                          partsReply(3, {}, "Plain three\n"), "S: a6 OK Fetch completed."}));
    connectAndSignIn(3);
    QStringList bodies;
    for (int number = 1; number <= 3; ++number) {
        const std::optional<MailMessage> fetched = client().FetchMessage(number, false);
        QVERIFY2(fetched, qPrintable(client().FailureText()));
        QCOMPARE(fetched->subject, QStringLiteral("Message %1").arg(number));
        QCOMPARE(fetched->htmlTextBody, QString());
        bodies.append(fetched->plainTextBody);
    }
    QCOMPARE(
        bodies,
        (QStringList {QStringLiteral("Body of message 1\r\n"), QStringLiteral("Caf\u00e9 two\r\n"),
                      QStringLiteral("Plain three\r\n")}));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::wrongOrMissingStructureFallsBackToWholeMessage()
{
    // 1 comes without a body structure; 2's structure calls part 1 plain text, but the part
    // itself says it is a picture. Both are then fetched whole, and keep their rows.
    m_server->addScenario(run(
        2,
        Script {"C: a4 UID FETCH 1:2 (RFC822.SIZE BODYSTRUCTURE)",
                structureReply(1, "RFC822.SIZE 300"),
                structureReply(
                    2, "RFC822.SIZE 300 BODYSTRUCTURE (" + plainPart + plainPart + " \"mixed\")"),
                "S: a4 OK Fetch completed."}
            + FakeImapServer::wholeExchange(5, messages(1, 1))
            + Script {"C: a6 UID FETCH 2" + sectionOneRequest(),
                      partsReply(2, "Content-Type: image/png\r\n\r\n", "iVBORw0KGgo="),
                      "S: a6 OK Fetch completed."}
            + FakeImapServer::wholeExchange(7, messages(2, 2))));
    connectAndSignIn(2);
    for (int number = 1; number <= 2; ++number) {
        const std::optional<MailMessage> fetched = client().FetchMessage(number, false);
        QVERIFY2(fetched, qPrintable(client().FailureText()));
        QCOMPARE(fetched->plainTextBody, QStringLiteral("Body of message %1\r\n").arg(number));
    }
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::unreadableStructureCostsOnlyItsWindow()
{
    // A structure nested past what the parser takes cannot be read, and the stream with it;
    // the window's messages are then fetched whole, one at a time, on a new connection.
    m_server->addScenario(run(
        2,
        Script {structureRequest(4, 1, 2), "S: * 1 FETCH (BODYSTRUCTURE " + QByteArray(200, '(')}));
    m_server->addScenario(FakeImapServer::signedInOpening(2)
                          + FakeImapServer::wholeExchange(4, messages(1, 1))
                          + FakeImapServer::wholeExchange(5, messages(2, 2)));
    connectAndSignIn(2);
    for (int number = 1; number <= 2; ++number) {
        const std::optional<MailMessage> fetched = client().FetchMessage(number, false);
        QVERIFY2(fetched, qPrintable(client().FailureText()));
        QCOMPARE(fetched->subject, QStringLiteral("Message %1").arg(number));
    }
    QCOMPARE(m_server->connectionCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::byeMidRunDeliversEveryMessageOnce()
{
    // One message per batch: message 1 is handed out before the server ends the session while
    // message 2 is being fetched ahead; the new session resumes at message 2.
    m_server->addScenario(run(3,
                              fetchedAhead(4, 1, 1)
                                  + Script {structureRequest(6, 2, 2),
                                            "S: * BYE Session expired, please login again.", "X"}));
    m_server->addScenario(FakeImapServer::signedInOpening(3) + fetchedAhead(4, 2, 2)
                          + fetchedAhead(6, 3, 3));
    readsThreeOnceOverTwoConnections();
}

// Messages 1 to 3, one per batch, each handed out once, over the two scripted connections.
void tst_ImapComponent::readsThreeOnceOverTwoConnections()
{
    connectAndSignIn(3);
    client().setFetchAheadLimits(1, 1, 1);
    QStringList subjects;
    for (int number = 1; number <= 3; ++number) {
        const std::optional<MailMessage> fetched = client().FetchMessage(number, false);
        QVERIFY2(fetched, qPrintable(client().FailureText()));
        subjects.append(fetched->subject);
    }
    QCOMPARE(subjects,
             (QStringList {QStringLiteral("Message 1"), QStringLiteral("Message 2"),
                           QStringLiteral("Message 3")}));
    QCOMPARE(m_server->connectionCount(), 2);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::dropBetweenTwoCommandsInFlight()
{
    // The text of message 1 and the structure of message 2 both go out before either reply (the
    // server reads both lines first); the server answers the first, then drops. Message 2 is
    // asked for again on the new connection, and every message arrives once.
    m_server->addScenario(run(
        3,
        structures(4, 1, 1)
            + Script {FakeImapServer::textRequest(5, {1}), structureRequest(6, 2, 2),
                      FakeImapServer::textReply(1, message(1)), "S: a5 OK Fetch completed.", "X"}));
    m_server->addScenario(FakeImapServer::signedInOpening(3) + fetchedAhead(4, 2, 2)
                          + fetchedAhead(6, 3, 3));
    readsThreeOnceOverTwoConnections();
}

void tst_ImapComponent::droppedMidLiteralReconnects()
{
    m_server->addScenario(run(1,
                              structures(4, 1, 1)
                                  + Script {FakeImapServer::textRequest(5, {1}),
                                            "S: * 1 FETCH (BODY[TEXT] {500}\r\nhalf", "X"}));
    m_server->addScenario(FakeImapServer::signedInOpening(1) + fetchedAhead(4, 1, 1));
    connectAndSignIn(1);
    const std::optional<MailMessage> fetched = client().FetchMessage(1, false);
    QVERIFY2(fetched, qPrintable(client().FailureText()));
    QCOMPARE(fetched->subject, QStringLiteral("Message 1"));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::reconnectGivesUpAfterThreeAttempts()
{
    m_server->addScenario(run(1, Script {structureRequest(4, 1, 1), "X"}));
    m_server->addScenario(FakeImapServer::signedInOpening(1)
                          + Script {structureRequest(4, 1, 1), "X"});
    m_server->addScenario({"S: * OK ready", "X"}); // drops before the sign-in
    m_server->addScenario(FakeImapServer::signedInOpening(1)
                          + Script {structureRequest(4, 1, 1), "X"});
    connectAndSignIn(1);
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(client().FailureText(),
             QStringLiteral("connection closed by the server (after 3 attempts to reconnect)"));
    QCOMPARE(m_server->connectionCount(), 4);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::noReconnectWithoutSignIn()
{
    // Without a successful sign-in there is nothing to resume; a NO to the sign-in on a
    // reconnect ends the attempts at once.
    m_server->addScenario({"S: * OK ready", "C: a1 EXAMINE INBOX", "X"});
    m_server->addScenario(FakeImapServer::signedInOpening(1) + Script {"X"});
    Script refused = FakeImapServer::signedInOpening(1).mid(0, 5);
    refused.append("S: a2 NO [AUTHENTICATIONFAILED] Password changed");
    m_server->addScenario(refused);

    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(client().OpenMailbox(QString()), 0);
    QCOMPARE(client().FailureText(), QStringLiteral("connection closed by the server"));
    QCOMPARE(m_server->connectionCount(), 1);

    connectAndSignIn(1);
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(
        client().FailureText(),
        QStringLiteral("LOGIN failed, server replied: NO [AUTHENTICATIONFAILED] Password changed"));
    QCOMPARE(m_server->connectionCount(), 3);
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::stallingServerTimesOut()
{
    m_server->addScenario(run(2, Script {structureRequest(4, 1, 2)}));
    connectAndSignIn(2);
    client().setTimeoutMs(300);
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QVERIFY2(client().FailureText().startsWith(QStringLiteral("timed out")),
             qPrintable(client().FailureText()));
    QCOMPARE(client().LastFetchFailure(), ImapComponent::FetchFailureKind::Connection);
    // A silent server is not retried: that would only multiply the wait.
    QCOMPARE(m_server->connectionCount(), 1);
    QCOMPARE(client().FetchMessage(2, false), std::nullopt);
    QCOMPARE(client().FailureText(), QStringLiteral("not connected to the server"));
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_ImapComponent::unreadableReplies_data()
{
    QTest::addColumn<Script>("reply");
    QTest::addColumn<QString>("failure");

    QTest::newRow("garbage line") << Script {"S: \x01\x02 nonsense"}
                                  << QStringLiteral("unreadable reply from the server");
    QTest::newRow("unknown tag") << Script {"S: zz9 OK fine"}
                                 << QStringLiteral("unknown command tag");
    QTest::newRow("broken fetch") << Script {"S: * 1 FETCH (BODY[] {abc}", "S: a5 OK"}
                                  << QStringLiteral("unreadable reply from the server");
    QTest::newRow("oversized literal")
        << Script {"S: * 1 FETCH (BODY[] {107374182400}"} << QStringLiteral("larger than 64 MB");
    QTest::newRow("deeply nested lists")
        << Script {"S: * 1 FETCH " + QByteArray(5000, '(')} << QStringLiteral("nested too deeply");
    QTest::newRow("endless line") << Script {"P: * OK " + QByteArray(2 << 20, 'x')}
                                  << QStringLiteral("longer than 1 MB");
    QTest::newRow("unexpected continuation")
        << Script {"S: + more please"} << QStringLiteral("unexpected continuation");
}

void tst_ImapComponent::unreadableReplies()
{
    QFETCH(Script, reply);
    QFETCH(QString, failure);
    m_server->addScenario(
        run(1, structures(4, 1, 1) + Script {FakeImapServer::textRequest(5, {1})} + reply));
    connectAndSignIn(1);
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QVERIFY2(client().FailureText().contains(failure), qPrintable(client().FailureText()));
    // The stream cannot be trusted any more; the component says so instead of guessing.
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(client().FailureText(), QStringLiteral("not connected to the server"));
    QCOMPARE(m_server->connectionCount(), 1);
}

void tst_ImapComponent::reportsProgressOfASplitLiteral()
{
    const QByteArray body = message(1) + QByteArray(20000, 'x') + "\r\n";
    // The reply as the server sends it, cut in the middle of the text's literal.
    const QByteArray reply = FakeImapServer::textReply(1, body);
    const qsizetype half = reply.size() - 10000;
    m_server->addScenario(
        run(1,
            FakeImapServer::structureExchange(4, 1, 1, {{1, body}})
                + Script {FakeImapServer::textRequest(5, {1}), "P: " + reply.mid(3, half - 3),
                          "W: 150", "S: " + reply.mid(half), "S: a5 OK done"}));
    connectAndSignIn(1);
    QSignalSpy progress(m_client, &ImapComponent::PercentDone);
    const std::optional<MailMessage> fetched = client().FetchMessage(1, false);
    QVERIFY2(fetched, qPrintable(client().FailureText()));
    QVERIFY(fetched->plainTextBody.contains(QStringLiteral("xxxxxxxx")));
    QVERIFY(progress.size() >= 2);
    int previous = -1;
    for (const QList<QVariant> &arguments : progress) {
        const int percent = arguments.at(0).toInt();
        QVERIFY(percent > previous && percent <= 100);
        previous = percent;
    }
    QCOMPARE(previous, 100);
}

void tst_ImapComponent::abortCheckStopsTheWait()
{
    m_server->addScenario(run(1, Script {structureRequest(4, 1, 1)}));
    connectAndSignIn(1);
    int checks = 0;
    connect(m_client, &ImapComponent::AbortCheck, this, [&checks](int &abort) {
        if (++checks == 3)
            abort = -1;
    });
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(client().FailureText(), QStringLiteral("aborted"));
    QCOMPARE(checks, 3);
    QCOMPARE(m_server->connectionCount(), 1);
}

void tst_ImapComponent::closeConnectionWhileWaiting()
{
    m_server->addScenario(run(1, Script {structureRequest(4, 1, 1)}));
    connectAndSignIn(1);
    onFirstAbortCheck([this](int &) { QCOMPARE(client().CloseConnection(), 1); });
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(client().FailureText(),
             QStringLiteral("the connection was closed while waiting for the server"));
    // Closed on purpose: no reconnect, and nothing selected any more.
    QCOMPARE(m_server->connectionCount(), 1);
    QCOMPARE(client().MessageCount(), 0);
    QCOMPARE(client().FetchMessage(1, false), std::nullopt);
    QCOMPARE(client().FailureText(), QStringLiteral("no mailbox is selected"));
}

void tst_ImapComponent::closeSaysLogoutEvenWhenTheProgramEndsAtOnce()
{
    m_server->addScenario(FakeImapServer::signedInOpening(1) + Script {"C: a4 LOGOUT"});
    connectAndSignIn(1);
    QCOMPARE(client().CloseConnection(), 1);
    delete m_client; // no event loop runs between the close and the end
    QTRY_VERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::secondOperationWhileWaitingIsRefused()
{
    Script delayed = fetchedAhead(4, 1, 2);
    delayed.insert(1, "W: 300");
    m_server->addScenario(run(2, delayed));
    connectAndSignIn(2);
    std::optional<MailMessage> nested;
    QString nestedFailure;
    onFirstAbortCheck([&](int &) {
        nested = client().FetchMessage(2, false);
        nestedFailure = client().FailureText();
    });
    const std::optional<MailMessage> fetched = client().FetchMessage(1, false);
    QVERIFY2(fetched, qPrintable(client().FailureText()));
    QCOMPARE(nested, std::nullopt);
    QVERIFY(nestedFailure.contains(QStringLiteral("still waiting")));
    QVERIFY(m_server->isAllScenarioDone());
    QCOMPARE(m_server->mismatches(), QStringList());
}

void tst_ImapComponent::destroyedWhileWaiting()
{
    m_server->addScenario(run(1, Script {structureRequest(4, 1, 1)}));
    connectAndSignIn(1);
    ImapComponent *component = m_client;
    onFirstAbortCheck([component](int &) { delete component; });
    QCOMPARE(component->FetchMessage(1, false), std::nullopt);
    QVERIFY(m_client.isNull());
}

void tst_ImapComponent::certificateIsVerified()
{
    m_server->addScenario({"S: * OK ready"});
    m_server->addScenario({"S: * OK ready"});
    m_server->exportEnvironment(QStringLiteral("localhost"));
    client().setServerOverride(ServerOverride::fromEnvironment());
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 1);

    // Without the test CA the chain ends in an unknown authority; nothing is ever waved through.
    qunsetenv("TESSALINE_CA_FILE");
    client().setServerOverride(ServerOverride::fromEnvironment());
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 0);
    QVERIFY2(client().FailureText().startsWith(QStringLiteral("TLS handshake with localhost:")),
             qPrintable(client().FailureText()));

    client().SetEncryption(false);
    QCOMPARE(client().OpenHost(QStringLiteral("imap.gmail.com")), 0);
    QVERIFY(client().FailureText().contains(QStringLiteral("unencrypted")));
}

QTEST_MAIN(tst_ImapComponent)
#include "tst_ImapComponent.moc"
