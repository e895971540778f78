#include "clsImapSession.h"

#include "ImapComponent.h"
#include "MailMessage.h"
#include "SessionFailurePrompt.h"

#include "ErrorLog.h"
#include "StepFailure.h"
#include "WindowEvents.h"

#include <QLocale>
#include <QRegularExpression>

#include <cstdint>
#include <limits>

std::array<QString, 8> gmailFolderNames;
QStringList mailboxLabels;
SystemFolders gmailSystemFolders;

namespace {

// Counts the labels of one listing in 16 bits, as the table's index always was: running past
// that is a failure the window reports.
void countOn(std::int16_t &counter)
{
    if (counter == std::numeric_limits<std::int16_t>::max())
        throw StepFailure(QStringLiteral("Overflow"));
    ++counter;
}

// A label is any mailbox that can be opened and is neither the inbox nor a system folder.
bool isLabel(const ListedFolder &folder)
{
    return folder.selectable && folder.name != QStringLiteral("INBOX")
        && !gmailSystemFolders.isSystemMailbox(folder.name);
}

void fileSystemFolders(const FolderListing &listing)
{
    gmailSystemFolders = SystemFolders(listing);
    for (int index = 0; index < SystemFolders::Count; ++index)
        gmailFolderNames.at(std::size_t(index) + 1) =
            gmailSystemFolders.caption(SystemFolders::at(index));
}

const QRegularExpression &emailAddressPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("\\b[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,4}\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

} // namespace

struct clsImapSession::Private
{
    QPointer<ImapComponent> lent; // ImapComponentObject
    QPointer<ImapComponent> events; // ImapComponent1: the object whose events reach us
    QMetaObject::Connection abortCheck;
    QMetaObject::Connection percentDone;
    int lastStatus = 0;
    FailedStep failedStep = FailedStep::None;
    RunSummary summary;
    int throttledSeen = 0;
    std::optional<QString> countedFolder; // what this session's GetTotalMessage selected
};

clsImapSession::clsImapSession() : d(std::make_unique<Private>()) { }

std::shared_ptr<clsImapSession> clsImapSession::create()
{
    return std::shared_ptr<clsImapSession>(new clsImapSession);
}

clsImapSession::~clsImapSession()
{
    releaseEvents();
    d->lent = nullptr;
}

ImapComponent *clsImapSession::ImapComponentObject() const
{
    return d->lent.data();
}

void clsImapSession::setImapComponentObject(ImapComponent *component)
{
    d->lent = component;
}

clsImapSession::FailedStep clsImapSession::LastFailedStep() const
{
    return d->failedStep;
}

bool clsImapSession::ConnectionLost() const
{
    return d->summary.end() == RunSummary::End::Stopped && !d->summary.stoppedByServer();
}

int clsImapSession::ConnectionLostAt() const
{
    return ConnectionLost() ? d->summary.endedAt() : 0;
}

const RunSummary &clsImapSession::LastRunSummary() const
{
    return d->summary;
}

void clsImapSession::releaseEvents()
{
    QObject::disconnect(d->abortCheck);
    QObject::disconnect(d->percentDone);
    d->events = nullptr;
}

// Routes the events of the object lent now to this session; a session lent another object
// since its last call stops hearing the old one.
ImapComponent &clsImapSession::pointEventsAtLentComponent()
{
    if (!d->lent)
        throw StepFailure(QStringLiteral("The session has no IMAP component object."));
    if (d->events != d->lent) {
        releaseEvents();
        d->events = d->lent;
        d->abortCheck = connect(d->events, &ImapComponent::AbortCheck, this,
                                &clsImapSession::ImapComponent1_AbortCheck);
        d->percentDone = connect(d->events, &ImapComponent::PercentDone, this,
                                 &clsImapSession::ImapComponent1_PercentDone);
    }
    return *d->events;
}

// The component may be destroyed while a run lets the window work (the program is closing);
// the next call then fails instead of touching a dead object.
ImapComponent &clsImapSession::eventComponent() const
{
    if (!d->events)
        throw StepFailure(QStringLiteral("The IMAP component object no longer exists."));
    return *d->events;
}

bool clsImapSession::Connect()
{
    const auto self = shared_from_this();
    ImapComponent &component = pointEventsAtLentComponent();
    component.SetEncryption(SSL);
    component.SetPort(PORT);
    d->failedStep = FailedStep::None;
    d->lastStatus = eventComponent().OpenHost(IMAPServer);
    if (d->lastStatus != 1) {
        d->failedStep = FailedStep::Connection;
        GetLastError();
        return false;
    }
    // The identification rides with the sign-in: one round trip for both.
    eventComponent().SendWithSignIn(QStringLiteral("ID (\"GUID\" \"1\")"));
    d->lastStatus = Credentials ? eventComponent().SignInWith(Credentials)
                                : eventComponent().SignIn(Username, Password);
    if (d->lastStatus == 1)
        return true;
    // A connection that drops during sign-in says nothing about the password.
    if (eventComponent().LineWithSignInFailed())
        d->failedStep = FailedStep::Identification;
    else if (eventComponent().ServerAnswered())
        d->failedStep = FailedStep::SignIn;
    else
        d->failedStep = FailedStep::Connection;
    GetLastError();
    return false;
}

void clsImapSession::GetLastError()
{
    const auto self = shared_from_this();
    if (AbortProcess)
        return; // the user cancelled: not a failure to report
    const ImapComponent *component = d->events ? d->events.data() : d->lent.data();
    const QString failure = component ? component->FailureText() : QString();
    SessionFailurePrompt::show(d->failedStep, failure);
}

int clsImapSession::GetTotalMessage(const QString &FolderName)
{
    const auto self = shared_from_this();
    d->failedStep = FailedStep::None;
    d->countedFolder.reset();
    d->lastStatus =
        pointEventsAtLentComponent().CountMailbox(FolderName, !SearchText.trimmed().isEmpty());
    if (d->lastStatus != 1) {
        d->failedStep = FailedStep::Mailbox;
        GetLastError();
        return 0;
    }
    d->countedFolder = FolderName;
    // Always: an empty search ends the narrowing of an earlier run.
    d->lastStatus = eventComponent().NarrowTo(SearchText);
    if (d->lastStatus == 1)
        return eventComponent().MessageCount();
    d->failedStep = FailedStep::Search;
    GetLastError();
    return 0;
}

std::optional<FolderListing> clsImapSession::EnumMailFolders()
{
    const auto self = shared_from_this();
    try {
        return listAndSortFolders();
    } catch (...) {
        throw StepFailure(QStringLiteral("clsImapSession component failure"));
    }
}

std::optional<FolderListing> clsImapSession::listAndSortFolders()
{
    const std::optional<FolderListing> listed =
        pointEventsAtLentComponent().ListFolders(QString(), QStringLiteral("*"));
    if (!listed) {
        d->failedStep = FailedStep::Listing;
        GetLastError();
        return std::nullopt;
    }
    fileSystemFolders(*listed);
    QStringList labels;
    std::int16_t labelCount = 0;
    for (const ListedFolder &folder : *listed) {
        if (isLabel(folder)) {
            labels.append(folder.name);
            countOn(labelCount);
        }
        LetWindowProcessEvents();
    }
    mailboxLabels = labels;
    return listed;
}

void clsImapSession::ImapComponent1_AbortCheck(int &abort)
{
    abort = AbortProcess ? -1 : 0;
    const auto self = weak_from_this().lock();
    LetWindowProcessEvents();
}

void clsImapSession::ImapComponent1_PercentDone(int percent)
{
    const auto self = weak_from_this().lock();
    Q_EMIT ScrapProgress(percent);
    LetWindowProcessEvents();
}

void clsImapSession::AppendErrorLog()
{
    try {
        const ImapComponent *component = d->events ? d->events.data() : d->lent.data();
        ::AppendErrorLog(component ? component->FailureText() : QString());
    } catch (...) {
        // The log must never disturb a run.
    }
}

bool clsImapSession::signInAndSelect(const QString &folderName)
{
    // Connect has already shown why it failed (or the user cancelled): nothing to add.
    if (!Connect())
        return false;
    // Only this session's own count may stand in for the run's selection: a count left by an
    // earlier run would hide what arrived since.
    d->lastStatus =
        pointEventsAtLentComponent().OpenMailbox(folderName, d->countedFolder == folderName);
    d->countedFolder.reset();
    if (d->lastStatus == 1)
        return true;
    d->failedStep = FailedStep::Mailbox;
    GetLastError();
    return false;
}

std::optional<MailMessage> clsImapSession::fetchAndLog(int number)
{
    std::optional<MailMessage> message = eventComponent().FetchMessage(number, false);
    AppendErrorLog();
    return message;
}

// A message that failed for a reason of its own is skipped and noted; any other failure ends
// the loop where it happened, so that a short list is never taken for a complete one. The
// component has already tried the message on its own and reconnected where that could help:
// asking the server again here would only repeat the failure.
bool clsImapSession::stopAfterFailedFetch(int number)
{
    if (AbortProcess)
        return true;
    const ImapComponent &component = eventComponent();
    const QString reason = component.FailureText();
    switch (component.LastFetchFailure()) {
    case ImapComponent::FetchFailureKind::Message:
        d->summary.noteSkipped(number, reason);
        return false;
    case ImapComponent::FetchFailureKind::Stopped:
        return true;
    case ImapComponent::FetchFailureKind::MailboxEnded:
        d->summary.noteMailboxEnded(number, reason);
        return true;
    case ImapComponent::FetchFailureKind::ServerLimit:
        d->summary.noteStopped(number, reason, true);
        return true;
    case ImapComponent::FetchFailureKind::None:
    case ImapComponent::FetchFailureKind::Connection:
        break;
    }
    d->summary.noteStopped(number, reason, false);
    return true;
}

// Messages deleted elsewhere since the count: the numbers past the folder's end hold nothing.
bool clsImapSession::stopAtMailboxEnd(int number)
{
    const int count = eventComponent().MessageCount();
    if (number <= count)
        return false;
    d->summary.noteMailboxEnded(
        number, QStringLiteral("the folder now holds %1 messages").arg(QLocale().toString(count)));
    return true;
}

void clsImapSession::noteThrottling()
{
    const int throttled = eventComponent().ThrottledCount();
    if (throttled == d->throttledSeen)
        return;
    d->throttledSeen = throttled;
    Q_EMIT ServerSlowing();
}

// The loop both retrievals share: every message from CurrentLocation to MaxRecord handed to
// `use`, until a stop request or a failure that would repeat.
void clsImapSession::readMessages(const QString &folderName,
                                  const std::function<void(int, const MailMessage &)> &use)
{
    d->summary = RunSummary(MaxRecord);
    if (!signInAndSelect(folderName)) {
        d->summary.noteStopped(CurrentLocation, eventComponent().FailureText(), false);
        return;
    }
    d->throttledSeen = eventComponent().ThrottledCount();
    const qint64 last = MaxRecord;
    for (qint64 number = CurrentLocation; number <= last; ++number) {
        LetWindowProcessEvents();
        CurrentLocation = int(number);
        if (stopAtMailboxEnd(int(number)))
            return;
        const std::optional<MailMessage> message = fetchAndLog(CurrentLocation);
        noteThrottling();
        if (!message) {
            if (stopAfterFailedFetch(int(number)))
                return;
            continue;
        }
        if (AbortProcess)
            return;
        use(int(number), *message);
        LetWindowProcessEvents();
    }
}

void clsImapSession::StartMailExtraction(const QString &FolderName)
{
    const auto self = shared_from_this();
    readMessages(FolderName, [this](int number, const MailMessage &message) {
        // The handler gets a copy of the number: changing it cannot move the loop.
        MailListing listing = MailListing::fromMessage(message, number);
        Q_EMIT MailExtractListing(listing);
    });
}

void clsImapSession::StartExtraction(const QString &FolderName, const QString &ExtractType)
{
    const auto self = shared_from_this();
    readMessages(FolderName, [this, &ExtractType](int, const MailMessage &message) {
        if (ExtractType.contains(QStringLiteral("FROM")))
            scrapeAddresses(message.from);
        if (ExtractType.contains(QStringLiteral("SUBJECT")))
            scrapeAddresses(message.subject);
        if (ExtractType.contains(QStringLiteral("BODY")))
            scrapeAddresses(message.plainTextBody);
    });
}

void clsImapSession::scrapeAddresses(const QString &text)
{
    QRegularExpressionMatchIterator matches = emailAddressPattern().globalMatch(text);
    while (matches.hasNext()) {
        Q_EMIT ScrapAddressListing(matches.next().captured());
        LetWindowProcessEvents();
    }
}
