#pragma once

#include "CliCredentials.h"
#include "CliOptions.h"
#include "ExitCode.h"
#include "ServerOverride.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ImapComponent;
class clsImapSession;
class CliRowSink;
class ProgressLine;
class ResultDestination;
class RunDownload;
struct MailListing;

// One invocation of tessaline-cli: the same session, retrieval loop and row modes as the window,
// with failures told in one line on standard error and the exit status.
class CliRun final
{
public:
    CliRun(CliOptions options, const QString &password, const ServerOverride &server);
    ~CliRun();
    Q_DISABLE_COPY_MOVE(CliRun)

    ExitCode exec();

    // Parses `arguments` (without the program name), reads the password and runs; --host and
    // --ca-file win over `environment`.
    static int main(const QStringList &arguments, const ServerOverride &environment);

private:
    ExitCode signIn();
    ExitCode listFolders();
    ExitCode extract();
    ExitCode resolveFolder(QString &folderName);
    ExitCode readFolder(const QString &folderName, CliRowSink &rows);
    bool refusedOverDailyLimit();
    void finishDownload();
    void addRows(MailListing &listing, CliRowSink &rows);
    ExitCode sessionFailure(const QString &folderName) const;
    ExitCode summaryOfRun() const;
    ExitCode keepOrFinish(ExitCode read, CliRowSink &rows, ResultDestination &destination);
    void noteSlowing();
    void giveUpWhenInterrupted();
    void warnOnce(const QString &text);

    CliOptions m_options;
    std::optional<CliCredentials> m_credentials; // outlives the component below
    std::unique_ptr<ImapComponent> m_component;
    std::shared_ptr<clsImapSession> m_session;
    std::unique_ptr<ProgressLine> m_progress;
    std::unique_ptr<RunDownload> m_download; // from the sign-in to the end of the run
    bool m_warned = false;
    bool m_slowingTold = false;
};
