#pragma once

#include "ExtractionMode.h"
#include "Form1Controls.h"
#include "MainWindowLink.h"
#include "ServerOverride.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ConnectSequence;
class FilterPanel;
class FolderChoice;
class Form1ModeInputs;
class Form2;
class Form3;
class ImapComponent;
class ProgressDisplay;
class ResultExport;
class ResultListModel;
class RunSequence;
class SignInBoxes;
class WindowPointer;
class clsImapSession;
struct MailListing;

// The main window: sign-in, folder choice, filters, the extraction buttons and the result list.
// Its run state is public because the option dialogs and the engine read it.
class Form1 final : public QWidget, public MainWindowLink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Run state.
    bool onExtractEmail = false;
    bool isStopped = true;
    bool mExtractAllEmailData = false;
    bool mExtractAllEmailDataContaining = false;
    bool mExtractAllEmailDataContaininglist = false;
    bool mExtractAllEmailDataNotContaining = false;
    bool mExtractAllEmailDataStartsWith = false;
    bool mExtractAllEmailDataLineNumber = false;

    // Filters; empty text means none.
    QString LabelFilter;
    QString CharactersFilter;

    std::shared_ptr<clsImapSession> oSession;

    const Form1Controls &controls() const { return m_ui; }
    ImapComponent *ImapComponent1() const { return m_imapComponent.get(); }
    ResultListModel &results() const { return *m_results; }
    // The option dialogs, created hidden with their stored values on first use.
    Form2 &form2();
    Form3 &form3();

    QString statusText() const;
    // A connect, a run, a copy or a save is in progress: the window shows the hourglass.
    bool isBusy() const;
    bool isConnected() const;
    // The program was closed and asked the application to end.
    bool endRequested() const { return m_endRequested; }
    // The active mode: the first of the six mode flags that is set.
    std::optional<ExtractionMode> activeMode() const;

    // Another server than the provider's, for the component created at load.
    void setServerOverride(const ServerOverride &server) { m_server = server; }

    void Form_Load();
    void Form_Unload();

    void startStopClick(QPushButton *button, const QString &idleCaption, ExtractionMode mode,
                        const QString &location, QWidget *pointerWindow) override;
    void ExtractEmail();

public Q_SLOTS:
    void Text7_Change();
    void Check1_Click();
    void Check2_Click();
    void OptionClick(); // Option3_Click to Option10_Click
    void PushButton17_Click();

    void PushButton5_Click();
    void PushButton19_Click();
    void PushButton22_Click();
    void PushButton23_Click();

    void PushButton13_Click();
    void PushButton2_Click();
    void PushButton8_Click();
    void PushButton7_Click();
    void PushButton4_Click();
    void PushButton11_Click();

    void PushButton1_Click();
    void PushButton3_Click();
    void PushButton14_Click();
    void PushButton6_Click();
    void PushButton12_Click();
    void PushButton9_Click();

    void oSession_ScrapProgress(int &percent);
    void oSession_MailExtractListing(MailListing &listing);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The collaborators run the window's numbered steps on its run state and controls.
    friend class ConnectSequence;
    friend class FilterPanel;
    friend class RunSequence;

    void connectSignals();
    void watchPointerAreas();
    void connectHelpButton(QPushButton *button);

    void showOptionDialog(const QString &location, const std::function<QWidget &()> &dialog);
    void endProgramWhenIdle();

    Form1Controls m_ui;
    ServerOverride m_server;
    WindowPointer *m_pointer = nullptr;
    ResultListModel *m_results = nullptr;
    std::unique_ptr<ProgressDisplay> m_progress;
    std::unique_ptr<SignInBoxes> m_signIn;
    std::unique_ptr<FolderChoice> m_folders;
    std::unique_ptr<FilterPanel> m_filters;
    std::unique_ptr<ConnectSequence> m_connection;
    std::unique_ptr<RunSequence> m_run;
    std::unique_ptr<Form1ModeInputs> m_modeInputs;
    std::unique_ptr<ResultExport> m_export;
    std::unique_ptr<ImapComponent> m_imapComponent;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    bool m_closing = false;
    bool m_endRequested = false;
};
