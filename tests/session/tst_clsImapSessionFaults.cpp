#include "tst_clsImapSessionRig.h"

#include "FakeImapServer.h"
#include "ScriptedPrompts.h"
#include "ServerOverride.h"
#include "StepFailure.h"
#include "TestEnvironment.h"

#include <QTest>

namespace {

using Script = QList<QByteArray>;

QByteArray message(int number)
{
    return "From: sender@example.test\r\nSubject: Message " + QByteArray::number(number)
        + "\r\n\r\nBody " + QByteArray::number(number) + "\r\n";
}

// Message `number` fetched ahead on its own (see oneMessageAtATime): its structure under `tag`,
// its text under `tag + 1`.
Script fetched(int tag, int number)
{
    const FakeImapServer::Messages one {{number, message(number)}};
    return FakeImapServer::structureExchange(tag, number, number, one)
        + FakeImapServer::textExchange(tag + 1, one);
}

QByteArray structureRequest(int tag, int number)
{
    return FakeImapServer::structureExchange(tag, number, number, {}).first();
}

Script signedIn()
{
    return FakeImapServer::signedInOpening(0).mid(0, 6); // greeting, ID and LOGIN
}

// Keeps each script to one message per command, so that it reads message by message.
void oneMessageAtATime(SessionRig &rig)
{
    rig.component.setFetchAheadLimits(1, 1, 1);
}

// A listing under `tag`: each entry is "(attributes) name".
Script listing(int tag, const QList<QByteArray> &entries)
{
    Script steps {"C: a" + QByteArray::number(tag) + " LIST \"\" \"*\""};
    for (const QByteArray &entry : entries) {
        const qsizetype space = entry.indexOf(") ") + 1;
        steps.append("S: * LIST " + entry.left(space) + " \"/\" \"" + entry.mid(space + 1) + '"');
    }
    steps.append("S: a" + QByteArray::number(tag) + " OK List completed");
    return steps;
}

} // namespace

// The session against a scripted server, for what a real server will not do on demand.
class tst_clsImapSessionFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void emptyIdentificationReplyEndsConnect();
    void cancelledSignInShowsNoBox();
    void droppedSignInIsAConnectionFailure();
    void refusedSignInBeforeARunShowsOneBox();
    void listingRules();
    void failedListingShowsTheFailureMessage();
    void missingComponentIsAComponentFailure();
    void refusedFetchIsSkipped();
    void refusalThatRepeatsStopsTheRun();
    void lostConnectionEndsTheLoopAndSaysWhere();
    void stopDuringAStalledFetchEndsTheLoop();
    void eventsFollowTheLentComponent();

private:
    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<FakeImapServer> m_server;
};

void tst_clsImapSessionFaults::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_server->exportEnvironment();
}

void tst_clsImapSessionFaults::cleanup()
{
    QVERIFY2(m_server->mismatches().isEmpty(), qPrintable(m_server->mismatches().join(u'\n')));
    m_server.reset();
    m_prompts.reset();
}

void tst_clsImapSessionFaults::emptyIdentificationReplyEndsConnect()
{
    // The sign-in went out in the same flight; the identification still fails first.
    m_server->addScenario(
        {"S: * OK Fake server ready", "C: a1 ID (\"GUID\" \"1\")", "C: a2 LOGIN user secret", "X"});
    m_prompts->answerMessage(Prompts::Answer::No);
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));

    QVERIFY(!rig.session->Connect());

    QCOMPARE(m_prompts->boxes().size(), 1);
    // Not a refused sign-in: a box of its own, without the offer of pictures.
    QVERIFY(m_prompts->boxes().constFirst().text.startsWith(
        QStringLiteral("Gmail did not answer the connection's first request")));
    QCOMPARE(m_prompts->boxes().constFirst().buttons, Prompts::Buttons::Ok);
    QCOMPARE(rig.session->LastFailedStep(), clsImapSession::FailedStep::Identification);
    QCOMPARE(m_server->connectionCount(), 1); // no reconnect
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_clsImapSessionFaults::cancelledSignInShowsNoBox()
{
    m_server->addScenario({"S: * OK Fake server ready", "C: a1 ID (\"GUID\" \"1\")",
                           "S: a1 OK ID completed", "C: a2 LOGIN user secret"});
    m_prompts->expectNoBoxes();
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    // The second click on "1. Connect" asks the running sign-in to give up.
    rig.session->AbortProcess = true;

    QVERIFY(!rig.session->Connect());
    QVERIFY(rig.session->LastFailedStep() != clsImapSession::FailedStep::None);
}

void tst_clsImapSessionFaults::droppedSignInIsAConnectionFailure()
{
    m_server->addScenario(FakeImapServer::signedInOpening(0).mid(0, 5) + Script {"X"});
    m_prompts->answerMessage(Prompts::Answer::No);
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));

    QVERIFY(!rig.session->Connect());
    QCOMPARE(rig.session->LastFailedStep(), clsImapSession::FailedStep::Connection);
    QVERIFY(m_server->isAllScenarioDone());
}

// The run's own sign-in adds nothing to the box that already said why Gmail refused it.
void tst_clsImapSessionFaults::refusedSignInBeforeARunShowsOneBox()
{
    m_server->addScenario(
        FakeImapServer::signedInOpening(0).mid(0, 5)
        + Script {"S: a2 NO [AUTHENTICATIONFAILED] Invalid credentials (Failure)"});
    m_prompts->answerMessage(Prompts::Answer::No);
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));

    rig.session->StartMailExtraction(QStringLiteral("INBOX"));

    QCOMPARE(m_prompts->boxes().size(), 1);
    QCOMPARE(m_prompts->boxes().constFirst().buttons, Prompts::Buttons::YesNo);
    QCOMPARE(rig.session->LastFailedStep(), clsImapSession::FailedStep::SignIn);
    QVERIFY(rig.listings.isEmpty());
}

void tst_clsImapSessionFaults::listingRules()
{
    // No special-use flag at all: the English names under either prefix, exactly written. Then a
    // listing where one flag is enough to go by flags alone.
    m_server->addScenario(
        signedIn()
        + listing(3,
                  {"(\\Noselect \\HasChildren) [Google Mail]", "() [Google Mail]/Sent Mail",
                   "() [Google Mail]/Bin", "() [gmail]/Spam", "() INBOX", "() [Gmail]/All Mail",
                   "() [Google Mail]/All Mail", "() Inbox", "() Work", "(\\NonExistent) Gone"})
        + listing(4, {"() INBOX", "() [Gmail]/Drafts", "(\\Sent) [Gmail]/Gesendet"}));
    m_prompts->expectNoBoxes();
    gmailFolderNames.fill(QStringLiteral("earlier"));
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    QVERIFY(rig.session->Connect());

    const std::optional<FolderListing> first = rig.session->EnumMailFolders();

    QVERIFY(first);
    QCOMPARE(first->size(), 10); // every entry
    QCOMPARE(QStringList(gmailFolderNames.cbegin(), gmailFolderNames.cend()),
             (QStringList {"earlier", "All Mail", "", "Sent Mail", "", "", "", ""}));
    QCOMPARE(gmailSystemFolders.mailbox(SystemFolder::All), QStringLiteral("[Gmail]/All Mail"));
    QCOMPARE(mailboxLabels,
             (QStringList {"[Google Mail]/Bin", "[gmail]/Spam", "[Google Mail]/All Mail", "Inbox",
                           "Work"}));

    // Labels and captions are this listing's alone.
    QVERIFY(rig.session->EnumMailFolders());

    QCOMPARE(QStringList(gmailFolderNames.cbegin(), gmailFolderNames.cend()),
             (QStringList {"earlier", "", "", "Gesendet", "", "", "", ""}));
    QCOMPARE(mailboxLabels, QStringList {"[Gmail]/Drafts"});
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_clsImapSessionFaults::failedListingShowsTheFailureMessage()
{
    m_server->addScenario(signedIn() + Script {"C: a3 LIST \"\" \"*\"", "S: a3 NO Listing failed"});
    m_prompts->answerMessage(Prompts::Answer::No);
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    QVERIFY(rig.session->Connect());

    QCOMPARE(rig.session->EnumMailFolders(), std::nullopt);
    QCOMPARE(m_prompts->boxes().size(), 1);
}

void tst_clsImapSessionFaults::missingComponentIsAComponentFailure()
{
    m_prompts->expectNoBoxes();
    const std::shared_ptr<clsImapSession> session = clsImapSession::create();
    try {
        session->EnumMailFolders();
        QFAIL("listing without a component must fail");
    } catch (const StepFailure &failure) {
        QCOMPARE(failure.description(), QStringLiteral("clsImapSession component failure"));
    }
    // Only the listing turns failures into its own; the others pass them on unchanged.
    QVERIFY_THROWS_EXCEPTION(StepFailure, session->Connect());
}

void tst_clsImapSessionFaults::refusedFetchIsSkipped()
{
    // The batch that could not bring message 1 is followed by a fetch of that message alone,
    // whose failure is the message's: the run goes on without selecting again and says so.
    m_server->addScenario(
        FakeImapServer::signedInOpening(3) + FakeImapServer::uidListExchange(4, 3)
        + FakeImapServer::firstWindowBySequence(
            FakeImapServer::structureExchange(5, 1, 1, {{1, message(1)}}))
        + Script {FakeImapServer::textRequest(6, {1}), "S: a6 NO Message unavailable"}
        + FakeImapServer::structureExchange(7, 2, 2, {{2, message(2)}})
        + Script {FakeImapServer::wholeRequest(8, {1}), "S: a8 NO Message unavailable"}
        + FakeImapServer::textExchange(9, {{2, message(2)}})
        + FakeImapServer::structureExchange(10, 3, 3, {{3, message(3)}})
        + FakeImapServer::textExchange(11, {{3, message(3)}}));
    m_prompts->expectNoBoxes();
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    oneMessageAtATime(rig);
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = 3;

    rig.session->StartMailExtraction(QString());

    QCOMPARE(rig.listedNumbers(), (QList<int> {2, 3}));
    QCOMPARE(rig.listings.constFirst().Subject, QStringLiteral("Message 2"));
    const RunSummary &summary = rig.session->LastRunSummary();
    QCOMPARE(summary.end(), RunSummary::End::Complete);
    QVERIFY(summary.hasGaps());
    QCOMPARE(summary.text(),
             QStringLiteral("1 message gave no rows: message 1 (UID FETCH failed, "
                            "server replied: NO Message unavailable)."));
    QVERIFY(!rig.session->ConnectionLost());
    QCOMPARE(SessionRig::errorLogEntries(), 3);
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_clsImapSessionFaults::refusalThatRepeatsStopsTheRun()
{
    const QByteArray overQuota = "NO [OVERQUOTA] Account exceeded command or bandwidth limits.";
    m_server->addScenario(FakeImapServer::signedInOpening(3) + FakeImapServer::uidListExchange(4, 3)
                          + FakeImapServer::firstWindowBySequence(fetched(5, 1))
                          + Script {structureRequest(7, 2), "S: a7 " + overQuota,
                                    FakeImapServer::wholeRequest(8, {2}), "S: a8 " + overQuota});
    m_prompts->expectNoBoxes();
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    oneMessageAtATime(rig);
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = 3;

    rig.session->StartMailExtraction(QString());

    QCOMPARE(rig.listedNumbers(), QList<int> {1});
    const RunSummary &summary = rig.session->LastRunSummary();
    QCOMPARE(summary.end(), RunSummary::End::Stopped);
    QCOMPARE(summary.text(),
             QStringLiteral("Gmail stopped the run at message 2 of 3: Account "
                            "exceeded command or bandwidth limits."));
    QVERIFY(summary.skipped().isEmpty());
    QCOMPARE(rig.session->CurrentLocation, 2);
    QCOMPARE(SessionRig::errorLogEntries(), 2); // message 3 was never asked for
    QCOMPARE(m_server->connectionCount(), 1);
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_clsImapSessionFaults::lostConnectionEndsTheLoopAndSaysWhere()
{
    m_server->addScenario(FakeImapServer::signedInOpening(4) + FakeImapServer::uidListExchange(4, 4)
                          + FakeImapServer::firstWindowBySequence(fetched(5, 1))
                          + Script {structureRequest(7, 2), "X"});
    // Every attempt to come back finds the server gone again.
    for (int attempt = 0; attempt < 3; ++attempt)
        m_server->addScenario({"X"});
    m_prompts->expectNoBoxes();
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    oneMessageAtATime(rig);
    rig.component.setTimeoutMs(5000);
    rig.component.setReconnectPauses({1, 1, 1});
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = 4;

    rig.session->StartMailExtraction(QString());

    QCOMPARE(rig.listedNumbers(), QList<int> {1});
    QVERIFY(rig.session->ConnectionLost());
    QCOMPARE(rig.session->ConnectionLostAt(), 2);
    QCOMPARE(rig.session->CurrentLocation, 2);
    QCOMPARE(SessionRig::errorLogEntries(), 2);
    // Three attempts to come back, and no more: nothing else is asked of the server.
    QCOMPARE(m_server->connectionCount(), 4);
    QVERIFY(m_server->isAllScenarioDone());
}

void tst_clsImapSessionFaults::stopDuringAStalledFetchEndsTheLoop()
{
    // The server never answers the second fetch; only the stop request ends it.
    m_server->addScenario(FakeImapServer::signedInOpening(3) + FakeImapServer::uidListExchange(4, 3)
                          + FakeImapServer::firstWindowBySequence(fetched(5, 1))
                          + Script {structureRequest(7, 2)});
    m_prompts->expectNoBoxes();
    SessionRig rig(QStringLiteral("user"), QStringLiteral("secret"));
    oneMessageAtATime(rig);
    rig.onListing = [&rig](MailListing &) { rig.session->AbortProcess = true; };
    rig.session->CurrentLocation = 1;
    rig.session->MaxRecord = 3;

    rig.session->StartMailExtraction(QString());

    QCOMPARE(rig.listedNumbers(), QList<int> {1});
    QCOMPARE(rig.session->CurrentLocation, 2);
    QCOMPARE(SessionRig::errorLogEntries(), 2); // message 3 was never asked for
    QVERIFY(!rig.session->ConnectionLost());
    QCOMPARE(m_server->connectionCount(), 1);
}

void tst_clsImapSessionFaults::eventsFollowTheLentComponent()
{
    ImapComponent first;
    ImapComponent second;
    first.setServerOverride(ServerOverride::fromEnvironment());
    second.setServerOverride(ServerOverride::fromEnvironment());
    std::shared_ptr<clsImapSession> session = clsImapSession::create();
    QList<int> progress;
    connect(session.get(), &clsImapSession::ScrapProgress, this,
            [&progress](int &percent) { progress.append(percent); });
    session->setImapComponentObject(&first);
    m_prompts->answerMessage(Prompts::Answer::No);
    QCOMPARE(session->GetTotalMessage(QStringLiteral("INBOX")), 0); // not connected: fails

    int abort = 7;
    Q_EMIT first.AbortCheck(abort);
    QCOMPARE(abort, 0);
    session->AbortProcess = true;
    Q_EMIT first.AbortCheck(abort);
    QCOMPARE(abort, -1);
    Q_EMIT first.PercentDone(42);
    QCOMPARE(progress, QList<int> {42});

    // Setting the property alone routes nothing; the next component-using method re-points.
    session->setImapComponentObject(&second);
    abort = 7;
    Q_EMIT second.AbortCheck(abort);
    QCOMPARE(abort, 7);
    m_prompts->answerMessage(Prompts::Answer::No);
    QCOMPARE(session->GetTotalMessage(QStringLiteral("INBOX")), 0);
    Q_EMIT second.AbortCheck(abort);
    QCOMPARE(abort, -1);
    abort = 7;
    Q_EMIT first.AbortCheck(abort);
    QCOMPARE(abort, 7);

    session.reset();
    Q_EMIT second.AbortCheck(abort);
    QCOMPARE(abort, 7);
}

QTEST_GUILESS_MAIN(tst_clsImapSessionFaults)
#include "tst_clsImapSessionFaults.moc"
