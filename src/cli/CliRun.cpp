#include "CliRun.h"

#include "CliFailure.h"
#include "CliRowSink.h"
#include "FolderListingText.h"
#include "PasswordSource.h"
#include "ProgressLine.h"
#include "ResultDestination.h"
#include "RunFolderName.h"

#include "ApplicationTitle.h"
#include "DailyDownloadCount.h"
#include "ImapComponent.h"
#include "LocalMailCopy.h"
#include "MailRun.h"
#include "MessageRows.h"
#include "ProgramVersion.h"
#include "Prompts.h"
#include "RunDownload.h"
#include "clsImapSession.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <exception>

namespace {

QString MailboxCaption(const QString &folderName)
{
    return folderName.isEmpty() ? QStringLiteral("INBOX") : folderName;
}

bool ShowsProgress(const CliOptions &options)
{
    // Rows streaming to the same terminal are progress enough; mixing both would garble it.
    const bool rowsOnTerminal =
        options.outputPath.isEmpty() && ProgressLine::standardOutputIsTerminal();
    return !options.quiet && ProgressLine::standardErrorIsTerminal() && !rowsOnTerminal;
}

volatile std::sig_atomic_t interruptRequested = 0;

// A first Ctrl-C lets the run give up cleanly (the output file is not replaced); a second one
// ends the program at once.
extern "C" void RequestInterrupt(int signalNumber)
{
    interruptRequested = 1;
    std::signal(signalNumber, SIG_DFL);
}

QString ServerName(const CliOptions &options)
{
    return options.host.isEmpty() ? QString::fromLatin1(MailRun::ProviderHost) : options.host;
}

QString FailureReason(const ImapComponent &component)
{
    const QString reason = component.FailureText();
    return reason.isEmpty() ? QStringLiteral("no reason given") : reason;
}

// --host and --ca-file win over the environment's override.
ServerOverride ChosenServer(const CliOptions &options, const ServerOverride &environment)
{
    return {options.host.isEmpty() ? environment.hostAndPort : options.host,
            options.caFile.isEmpty() ? environment.caFile : options.caFile};
}

// --clear-cache: needs no password and no server.
ExitCode ForgetLocalCopy(const QString &user)
{
    QString problem;
    switch (LocalMailCopy::forget(user, &problem)) {
    case LocalMailCopy::Forgotten::Removed:
        CliFailure::print(stderr,
                          QStringLiteral("removed the local copy of mail text of %1").arg(user));
        return ExitCode::Success;
    case LocalMailCopy::Forgotten::NothingKept:
        CliFailure::print(stderr,
                          QStringLiteral("there is no local copy of mail text of %1").arg(user));
        return ExitCode::Success;
    case LocalMailCopy::Forgotten::Failed:
        break;
    }
    return CliFailure::fail(ExitCode::Failed, problem);
}

} // namespace

CliRun::CliRun(CliOptions options, const QString &password, const ServerOverride &server)
    : m_options(std::move(options)),
      m_component(std::make_unique<ImapComponent>()),
      m_session(MailRun::newSession(m_component.get(), m_options.user, password)),
      m_progress(std::make_unique<ProgressLine>(ShowsProgress(m_options)))
{
    m_component->setServerOverride(server);
    // One run per process: nothing fetched is asked for twice, so the session keeps none of it
    // (the local copy, when asked for, still is).
    m_component->setMemoryBound(0);
    m_session->SearchText = m_options.search;
    // Connected before the session's own handler, so the abort check that follows answers it.
    QObject::connect(m_component.get(), &ImapComponent::AbortCheck, m_component.get(),
                     [this](int &) { giveUpWhenInterrupted(); });
}

CliRun::~CliRun()
{
    m_session.reset();
    m_component->CloseConnection();
}

int CliRun::main(const QStringList &arguments, const ServerOverride &environment)
{
    // Per-user files (an installed copy's error log) go where the window program's go.
    QCoreApplication::setOrganizationName(QStringLiteral("Marlowix"));
    QCoreApplication::setApplicationName(QString::fromLatin1(ProductName));
    const ParsedArguments parsed = ParseCliArguments(arguments);
    if (parsed.helpWanted || parsed.versionWanted) {
        const QString text =
            parsed.helpWanted ? CliUsageText() : VersionText(QStringLiteral("tessaline-cli"));
        std::fputs(text.toUtf8().constData(), stdout);
        return int(ExitCode::Success);
    }
    if (!parsed.options)
        return int(CliFailure::usage(parsed.problem));
    if (parsed.options->clearLocalCopy)
        return int(ForgetLocalCopy(parsed.options->user));
    std::optional<QString> password = QString();
    if (parsed.options->auth == CliCredentials::Auth::Password) {
        const PasswordSource source = PasswordSource::read(*parsed.options);
        if (!source.password)
            return int(CliFailure::usage(source.problem));
        password = source.password;
    }
    std::signal(SIGINT, RequestInterrupt);
    std::signal(SIGTERM, RequestInterrupt);
    // No box is shown and nothing waits for a person: questions get No (no picture is opened)
    // and the run reports failures in its own words.
    Prompts::setMuted(true);
    ExitCode code = ExitCode::Failed;
    try {
        code =
            CliRun(*parsed.options, *password, ChosenServer(*parsed.options, environment)).exec();
    } catch (const std::exception &failure) {
        code = CliFailure::fail(ExitCode::Failed, QString::fromUtf8(failure.what()));
    }
    Prompts::setMuted(false);
    return int(code);
}

ExitCode CliRun::exec()
{
    m_download =
        std::make_unique<RunDownload>(*m_component, m_options.user, m_options.keepLocalCopy);
    m_progress->countDownloads([download = m_download.get()] { return download->bytesSoFar(); });
    ExitCode code = signIn();
    if (code == ExitCode::Success)
        code = m_options.listFolders ? listFolders() : extract();
    finishDownload();
    if (code == ExitCode::Interrupted)
        CliFailure::print(stderr, QStringLiteral("interrupted"));
    return code;
}

void CliRun::giveUpWhenInterrupted()
{
    if (interruptRequested && m_session)
        m_session->AbortProcess = true;
}

ExitCode CliRun::signIn()
{
    QString reason;
    m_credentials = CliCredentials::make(m_options.auth, m_options.user, m_session->Password,
                                         m_options.tokenVariable, &reason);
    if (!m_credentials)
        return CliFailure::fail(
            ExitCode::SignInFailed,
            QStringLiteral("sign-in as %1 failed: %2").arg(m_options.user, reason));
    // Not owned: the credentials live in this run, longer than its connection.
    m_session->Credentials = std::shared_ptr<ImapCredentials>(std::shared_ptr<ImapCredentials>(),
                                                              &m_credentials->credentials());
    if (m_session->Connect())
        return ExitCode::Success;
    return sessionFailure({});
}

ExitCode CliRun::listFolders()
{
    // Straight from the component: the window's table of labels (and its 16-bit counter) has no
    // part in a listing that is only printed.
    const std::optional<FolderListing> listing =
        m_component->ListFolders(QString(), QStringLiteral("*"));
    if (!listing) {
        if (interruptRequested)
            return ExitCode::Interrupted;
        return CliFailure::listingFailed(ServerName(m_options), FailureReason(*m_component));
    }
    ResultDestination destination(m_options.outputPath);
    if (!destination.writeWhole(FolderListingText(*listing, m_options.format)))
        return CliFailure::fail(ExitCode::Failed, destination.errorText());
    return ExitCode::Success;
}

ExitCode CliRun::extract()
{
    QString folderName;
    if (const ExitCode resolved = resolveFolder(folderName); resolved != ExitCode::Success)
        return resolved;
    ResultDestination destination(m_options.outputPath);
    const bool hideDuplicates =
        m_options.mode == ExtractionMode::Between && !m_options.inputs.duplicatesShown;
    CliRowSink rows(m_options.format, destination, hideDuplicates);
    if (!rows.begin())
        return CliFailure::fail(ExitCode::Failed, destination.errorText());
    const ExitCode read = readFolder(folderName, rows);
    m_progress->finish();
    return keepOrFinish(read, rows, destination);
}

// Only a complete run replaces an output file. A run that stopped part-way has already streamed
// its rows to standard output, if that is where they go; the comma-delimited table, written at
// the end, goes out there too. A named file is left as it was and the rows are dropped.
ExitCode CliRun::keepOrFinish(ExitCode read, CliRowSink &rows, ResultDestination &destination)
{
    const bool partial = read == ExitCode::StoppedPartWay;
    if (read != ExitCode::Success && !partial)
        return read;
    if (partial && !destination.isStandardOutput()) {
        CliFailure::print(
            stderr,
            QStringLiteral("%1 was left as it was; the rows read before the stop were not "
                           "kept (without --output they go to standard output)")
                .arg(m_options.outputPath));
        return read;
    }
    if (!rows.finish())
        return CliFailure::fail(ExitCode::Failed, destination.errorText());
    return read;
}

// The caption names a system folder by its flag or a listed mailbox: the server's listing says
// which mailbox that is on this account.
ExitCode CliRun::resolveFolder(QString &folderName)
{
    FolderListing listing;
    if (RunFolderNeedsListing(m_options.label, m_options.folderCaption)) {
        std::optional<FolderListing> listed = m_session->EnumMailFolders();
        if (!listed)
            return sessionFailure({});
        listing = std::move(*listed);
    }
    const std::optional<QString> name =
        RunFolderName(m_options.label, m_options.folderCaption, listing, gmailSystemFolders);
    if (!name) {
        QString text =
            QStringLiteral("the server lists no folder \"%1\"").arg(m_options.folderCaption);
        if (SystemFolders::byDesignCaption(m_options.folderCaption))
            text += QStringLiteral(": ") + SystemFolders::HiddenFolderText;
        return CliFailure::fail(ExitCode::FolderNotSelectable, text);
    }
    folderName = *name;
    return ExitCode::Success;
}

ExitCode CliRun::readFolder(const QString &folderName, CliRowSink &rows)
{
    MailRun::countFolder(*m_session, folderName);
    if (m_session->LastFailedStep() != clsImapSession::FailedStep::None)
        return sessionFailure(folderName);
    if (refusedOverDailyLimit())
        return ExitCode::Usage;
    const QMetaObject::Connection listing =
        QObject::connect(m_session.get(), &clsImapSession::MailExtractListing,
                         [this, &rows](MailListing &message) { addRows(message, rows); });
    const QMetaObject::Connection progress =
        QObject::connect(m_session.get(), &clsImapSession::ScrapProgress, [this](int &) {
            m_progress->show(m_session->CurrentLocation, m_session->MaxRecord);
        });
    const QMetaObject::Connection slowing = QObject::connect(
        m_session.get(), &clsImapSession::ServerSlowing, [this] { noteSlowing(); });
    const bool read = MailRun::readFolder(*m_session, folderName);
    QObject::disconnect(listing);
    QObject::disconnect(progress);
    QObject::disconnect(slowing);
    if (!read) {
        if (!m_options.quiet)
            CliFailure::print(stderr,
                              QStringLiteral("There are no emails in the Folder you selected."));
        return ExitCode::Success;
    }
    if (interruptRequested)
        return ExitCode::Interrupted;
    if (m_session->LastFailedStep() != clsImapSession::FailedStep::None)
        return sessionFailure(folderName);
    return summaryOfRun();
}

// Before reading: with --verbose the estimate, and past the day's limit a refusal unless
// --ignore-daily-limit. A run whose size the server would not tell goes ahead.
bool CliRun::refusedOverDailyLimit()
{
    const std::optional<qint64> estimate = m_download->estimate(*m_session);
    if (!estimate) {
        if (m_options.verbose && m_session->MaxRecord > 0)
            CliFailure::print(stderr,
                              QStringLiteral("the server did not say how much this run would "
                                             "download: %1")
                                  .arg(FailureReason(*m_component)));
        return false;
    }
    const qint64 today = m_download->countedToday();
    if (m_options.verbose)
        CliFailure::print(stderr,
                          QStringLiteral("this run would download about %1; %2 were downloaded "
                                         "from this account today")
                              .arg(DailyDownloadCount::megabytes(*estimate),
                                   DailyDownloadCount::megabytes(today)));
    if (m_options.ignoreDailyLimit || !DailyDownloadCount::wouldPassLimit(today, *estimate))
        return false;
    CliFailure::print(stderr, DailyDownloadCount::refusalText(today, *estimate));
    return true;
}

// Counts the run's bytes for the day however it ended, and says what became of the local copy.
void CliRun::finishDownload()
{
    m_progress->countDownloads(nullptr);
    m_download->count();
    if (m_options.verbose)
        CliFailure::print(stderr,
                          QStringLiteral("this run downloaded %1")
                              .arg(DailyDownloadCount::megabytes(m_download->bytesSoFar())));
    const QString notice = m_download->takeNotice();
    if (!notice.isEmpty() && !m_options.quiet)
        CliFailure::print(stderr, QStringLiteral("note: %1").arg(notice));
}

// The progress line says so while it is shown; otherwise one line on standard error.
void CliRun::noteSlowing()
{
    const QString note = QStringLiteral("Gmail is slowing down this connection");
    m_progress->setNote(note);
    m_progress->show(m_session->CurrentLocation, m_session->MaxRecord);
    if (m_slowingTold || m_options.quiet || ShowsProgress(m_options))
        return;
    m_slowingTold = true;
    CliFailure::print(stderr, QStringLiteral("note: %1").arg(note));
}

void CliRun::addRows(MailListing &message, CliRowSink &rows)
{
    m_progress->show(message.uID, m_session->MaxRecord);
    ExtractionHooks hooks;
    hooks.reportFailure = [this](const StepFailure &failure) { warnOnce(failure.description()); };
    ExtractRows(message, m_options.mode, m_options.inputs, rows, hooks);
    // Reading on is pointless once the rows cannot be written.
    if (rows.failed())
        m_session->AbortProcess = true;
}

void CliRun::warnOnce(const QString &text)
{
    if (m_warned || m_options.quiet)
        return;
    m_warned = true;
    m_progress->finish();
    CliFailure::print(stderr, QStringLiteral("warning: %1").arg(text));
}

ExitCode CliRun::sessionFailure(const QString &folderName) const
{
    if (interruptRequested)
        return ExitCode::Interrupted;
    return CliFailure::ofSession({m_session->LastFailedStep(), FailureReason(*m_component),
                                  ServerName(m_options), m_options.user,
                                  MailboxCaption(folderName)});
}

// Every line of the run's summary on standard error: why it stopped, and which messages gave
// no rows. A folder that ended before its count is a note, and the run counts as complete.
ExitCode CliRun::summaryOfRun() const
{
    const RunSummary &summary = m_session->LastRunSummary();
    const QString text = summary.text();
    if (!summary.hasGaps()) {
        if (!text.isEmpty() && !m_options.quiet)
            CliFailure::print(stderr, QStringLiteral("note: %1").arg(text));
        return ExitCode::Success;
    }
    for (const QString &line : text.split(u'\n'))
        CliFailure::print(stderr, line);
    return ExitCode::StoppedPartWay;
}
