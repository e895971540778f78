#include "RunSequence.h"

#include "ApplicationTitle.h"
#include "BetweenMarkers.h"
#include "ConnectSequence.h"
#include "FolderChoice.h"
#include "Form1.h"
#include "Form1ModeInputs.h"
#include "Form2.h"
#include "LineNumberEntry.h"
#include "LocalMailCopy.h"
#include "MailListing.h"
#include "MailRun.h"
#include "MessageRows.h"
#include "ProgressDisplay.h"
#include "Prompts.h"
#include "ResultListModel.h"
#include "RunDownload.h"
#include "RunFlags.h"
#include "SignInBoxes.h"
#include "StepFailure.h"
#include "Steps.h"
#include "WindowPointer.h"
#include "WindowEvents.h"
#include "clsImapSession.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString StopCaption = QStringLiteral("Stop");

} // namespace

void RunSequence::startStopClick(QPushButton *button, const QString &idleCaption,
                                 ExtractionMode mode, const QString &location,
                                 QWidget *pointerWindow)
{
    Steps steps(location);
    if (button->text() == StopCaption) {
        steps(100, [&] { requestStop(); });
        steps(102, [&] { button->setText(idleCaption); });
        return;
    }
    steps(104, [&] { button->setText(StopCaption); });
    bool refused = false;
    steps(106, [&] { refused = refusedBeforeRun(button, idleCaption, mode); });
    if (refused)
        return;
    runSteps(steps, button, idleCaption, mode, pointerWindow);
    m_window.endProgramWhenIdle();
}

void RunSequence::runSteps(Steps &steps, QPushButton *button, const QString &idleCaption,
                           ExtractionMode mode, QWidget *pointerWindow)
{
    steps(108, [&] { m_window.m_pointer->beginBusy(pointerWindow); });
    steps(110, [&] {
        m_window.isStopped = false;
        m_window.onExtractEmail = true;
        m_runningButton = button;
    });
    steps(112, [&] { setModeFlags(mode); });
    steps(114, [&] { m_window.m_results->clear(); });
    steps(116, [&] { runMode(mode); });
    steps(118, [&] {
        m_window.m_pointer->endBusy(pointerWindow);
        m_window.onExtractEmail = false;
    });
    steps(120, [&] { button->setText(idleCaption); });
}

// The checks before a run; a refused click puts its button's caption back.
bool RunSequence::refusedBeforeRun(QPushButton *button, const QString &idleCaption,
                                   ExtractionMode mode)
{
    if (!m_window.m_connection->connectedElseSay()) {
        // told to connect first
    } else if (m_window.onExtractEmail) {
        // another run is going on: the click only flashed "Stop"
    } else if (mode == ExtractionMode::Between) {
        const QString problem =
            BetweenMarkersProblem(m_window.form2().startMarker(), m_window.form2().endMarker());
        if (problem.isEmpty())
            return false;
        Prompts::inform(problem);
    } else {
        return false;
    }
    button->setText(idleCaption);
    return true;
}

void RunSequence::runMode(ExtractionMode mode)
{
    if (mode == ExtractionMode::LineNumber
        && !IsValidLineNumberEntry(m_window.m_ui.Text5->text())) {
        Prompts::inform(QStringLiteral("Entry must be number or numbers separated by commas."));
        return;
    }
    m_window.ExtractEmail();
}

void RunSequence::stopRunning()
{
    if (m_window.onExtractEmail && m_runningButton && m_runningButton->text() == StopCaption)
        m_runningButton->click();
}

void RunSequence::extractEmail()
{
    Steps steps(QStringLiteral("Form1.ExtractEmail"));
    std::optional<QString> folderName;
    std::shared_ptr<clsImapSession> session; // kept to the end, even if a Disconnect drops it
    bool signedIn = true;
    const bool listed = m_window.oSession != nullptr; // a connect lists the folders
    steps(100, [&] {
        m_window.m_pointer->beginBusy(&m_window);
        m_window.isStopped = false;
    });
    steps(104, [&] { m_window.m_results->clear(); });
    std::unique_ptr<RunDownload> download;
    steps(105, [&] { download = startDownload(); });
    steps(106, [&] { signedIn = connectIfNeeded(session); });
    if (signedIn) {
        steps(107, [&] { folderName = chooseFolder(*session, listed); });
        if (folderName)
            steps(108, [&] {
                m_window.m_folders->save(); // the search is kept like the folder
                session->SearchText = m_window.m_folders->searchText();
                MailRun::countFolder(*session, *folderName);
            });
        bool declined = false;
        if (folderName && download)
            steps(109, [&] { declined = declinedOverDailyLimit(*download, *session); });
        steps(110, [&] {
            if (!folderName) {
                Prompts::inform(SystemFolders::HiddenFolderText);
                suppressDoneNotice = true;
            } else if (session->LastFailedStep() == clsImapSession::FailedStep::Search) {
                suppressDoneNotice = true; // the refusal was told already
            } else if (declined) {
                suppressDoneNotice = true;
            } else if (!MailRun::readFolder(*session, *folderName)) {
                Prompts::inform(QStringLiteral("There are no emails in the Folder you selected."));
                suppressDoneNotice = true;
            }
        });
    }
    steps(112, [&] {
        m_window.oSession.reset();
        m_window.m_progress->reset();
        m_window.m_pointer->endBusy(&m_window);
    });
    steps(113, [&] { finishDownload(std::move(download)); });
    steps(114, [&] { showRunEnd(session.get()); });
}

// The local copy as the box says now, and the count of what this run downloads, from before
// its sign-in (a run without a connect signs in first).
std::unique_ptr<RunDownload> RunSequence::startDownload()
{
    const QString account =
        m_window.oSession ? m_window.oSession->Username : m_window.m_signIn->user();
    auto download = std::make_unique<RunDownload>(*m_window.m_imapComponent, account,
                                                  LocalMailCopy::isWanted());
    m_window.m_progress->countDownloads(
        [counted = download.get()] { return counted->bytesSoFar(); });
    return download;
}

// Asks before reading when the run would take the account past the day's limit; true when the
// user said No (or stopped the run meanwhile). A run whose size the server would not tell goes
// ahead: its reading fails or counts as it goes.
bool RunSequence::declinedOverDailyLimit(const RunDownload &download, const clsImapSession &session)
{
    const std::optional<qint64> estimate = download.estimate(session);
    if (!estimate)
        return session.AbortProcess; // a Stop meanwhile starts nothing
    const std::optional<QString> question = download.questionBeforeRun(*estimate);
    if (!question)
        return false;
    return Prompts::current().message(ApplicationTitle(), *question, Prompts::Buttons::YesNo,
                                      Prompts::Icon::Question)
        != Prompts::Answer::Yes;
}

// Counts the run's bytes for the day, whether it ended or stopped, and says what became of the
// local copy.
void RunSequence::finishDownload(std::unique_ptr<RunDownload> download)
{
    m_window.m_progress->countDownloads({});
    if (!download)
        return;
    download->count();
    const QString notice = download->takeNotice();
    if (!notice.isEmpty())
        Prompts::inform(notice);
}

// A system folder is found in the server's listing, which a run without a connect makes first.
std::optional<QString> RunSequence::chooseFolder(clsImapSession &session, bool listed)
{
    if (!listed && m_window.m_folders->systemFolderChosen(m_window.LabelFilter))
        session.EnumMailFolders();
    return m_window.m_folders->chosenFolderName(m_window.LabelFilter);
}

// Signs in first when no session is open (a run without a connect); false if that failed.
bool RunSequence::connectIfNeeded(std::shared_ptr<clsImapSession> &session)
{
    bool signedIn = true;
    if (!m_window.oSession) {
        m_window.oSession = m_window.m_connection->newSession();
        suppressDoneNotice = false;
        signedIn = m_window.oSession->Connect();
        if (!signedIn)
            suppressDoneNotice = true;
    }
    session = m_window.oSession;
    return signedIn;
}

// "Done.", unless the run stopped part-way, skipped messages or found the folder shorter than
// counted: then how far it got and why, so that a short list is never taken for a complete one.
void RunSequence::showRunEnd(const clsImapSession *session)
{
    m_window.m_results->flushPendingRows();
    const QString summary = session
        ? session->LastRunSummary().text(QStringLiteral("Rows so far are in the list."))
        : QString();
    if (!summary.isEmpty()) {
        Prompts::inform(summary);
        return;
    }
    if (!suppressDoneNotice)
        Prompts::inform(QStringLiteral("Done."));
}

void RunSequence::extractListing(MailListing &listing, const clsImapSession *session)
{
    const QString location = QStringLiteral("Form1.oSession_MailExtractListing");
    Steps steps(location);
    steps(100, [&] { m_window.m_progress->showReading(session); });
    const std::optional<ExtractionMode> mode = m_window.activeMode();
    if (!mode)
        return;
    ExtractionHooks hooks;
    hooks.letEventsRun = LetWindowProcessEvents;
    hooks.reportFailure = [&](const StepFailure &failure) {
        ShowErrorReport(ErrorReportText(failure.description(), location, 102));
    };
    steps(102,
          [&] { ExtractRows(listing, *mode, *m_window.m_modeInputs, *m_window.m_results, hooks); });
}

void RunSequence::requestStop()
{
    m_window.isStopped = true;
    if (m_window.oSession)
        m_window.oSession->AbortProcess = true;
}

void RunSequence::setModeFlags(std::optional<ExtractionMode> mode)
{
    m_window.mExtractAllEmailData = mode == ExtractionMode::AllEmailData;
    m_window.mExtractAllEmailDataContaining = mode == ExtractionMode::Containing;
    m_window.mExtractAllEmailDataContaininglist = mode == ExtractionMode::ContainingList;
    m_window.mExtractAllEmailDataNotContaining = mode == ExtractionMode::NotContaining;
    m_window.mExtractAllEmailDataStartsWith = mode == ExtractionMode::Between;
    m_window.mExtractAllEmailDataLineNumber = mode == ExtractionMode::LineNumber;
}
