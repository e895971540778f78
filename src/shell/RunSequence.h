#pragma once

#include "ExtractionMode.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class Form1;
class RunDownload;
class Steps;
class QPushButton;
class QWidget;
class clsImapSession;
struct MailListing;

// An extraction run of the window: the start/stop click of a mode button, the refusals before a
// run, the run itself ("Form1.ExtractEmail") and its end notice, and the rows of each message.
class RunSequence
{
public:
    explicit RunSequence(Form1 &window) : m_window(window) { }

    void startStopClick(QPushButton *button, const QString &idleCaption, ExtractionMode mode,
                        const QString &location, QWidget *pointerWindow);
    void extractEmail();
    // Esc: a click on the running button's "Stop".
    void stopRunning();
    void extractListing(MailListing &listing, const clsImapSession *session);
    // Asks the run, or the sign-in going on, to stop at its next abort check.
    void requestStop();
    void setModeFlags(std::optional<ExtractionMode> mode); // nullopt: all clear

private:
    void runSteps(Steps &steps, QPushButton *button, const QString &idleCaption,
                  ExtractionMode mode, QWidget *pointerWindow);
    bool refusedBeforeRun(QPushButton *button, const QString &idleCaption, ExtractionMode mode);
    void runMode(ExtractionMode mode);
    std::optional<QString> chooseFolder(clsImapSession &session, bool listed);
    bool connectIfNeeded(std::shared_ptr<clsImapSession> &session);
    void showRunEnd(const clsImapSession *session);
    std::unique_ptr<RunDownload> startDownload();
    bool declinedOverDailyLimit(const RunDownload &download, const clsImapSession &session);
    void finishDownload(std::unique_ptr<RunDownload> download);

    Form1 &m_window;
    QPointer<QPushButton> m_runningButton;
};
