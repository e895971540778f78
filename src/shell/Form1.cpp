#include "Form1.h"
#include "SettingsKeys.h"

#include "ApplicationTitle.h"
#include "BetweenMarkers.h"
#include "ConnectivityCheck.h"
#include "FileHelpers.h"
#include "Form1ModeInputs.h"
#include "Form2.h"
#include "Form3.h"
#include "Form5.h"
#include "Form6.h"
#include "ImapComponent.h"
#include "LineNumberEntry.h"
#include "MailListing.h"
#include "MailRun.h"
#include "MainWindowHelp.h"
#include "MessageRows.h"
#include "ProgramFolder.h"
#include "ProgramIcon.h"
#include "Prompts.h"
#include "ResultExport.h"
#include "ResultListModel.h"
#include "ResultListView.h"
#include "RunFlags.h"
#include "SettingsStore.h"
#include "StepFailure.h"
#include "Steps.h"
#include "WindowEvents.h"
#include "WindowHelpers.h"
#include "WindowPointer.h"
#include "clsImapSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>

namespace {

const QString ConnectCaption = QStringLiteral("1. Connect");
const QString DisconnectCaption = QStringLiteral("Disconnect");
const QString StopCaption = QStringLiteral("Stop");
const QString IdleStatus = QStringLiteral("Progress Bar");
const QString NoCharacterFilter = QStringLiteral("No Character Filter set");
const QString NoLabelFilter = QStringLiteral("No Label Filter set");
const QString ConnectFirst =
    QStringLiteral("Please connect first (Step 1) before using this feature.");

// The folder buttons' keys: "Option3" to "Option10".
QString optionKey(int number)
{
    return QStringLiteral("Option%1").arg(number);
}

Qt::CheckState checkStateFromNumber(int value)
{
    switch (value) {
    case 0:
        return Qt::Unchecked;
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        throw StepFailure(QStringLiteral("Invalid property value"));
    }
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent), m_pointer(new WindowPointer(this)), m_results(new ResultListModel(this))
{
    setObjectName(QStringLiteral("Form1"));
    m_ui.build(this);
    m_ui.ListView1->setResultModel(m_results);
    m_modeInputs = std::make_unique<Form1ModeInputs>(*this);
    m_export = std::make_unique<ResultExport>(
        *m_results,
        ResultExport::WindowHooks {[this](const QString &text) { setStatusText(text); },
                                   [this] { showBusy(this); },
                                   [this] { showDefaultPointer(this); }});
    setStatusText(IdleStatus);
    connectSignals();
    watchPointerAreas();
    resize(1000, 720);
}

Form1::~Form1() = default;

void Form1::connectSignals()
{
    connect(m_ui.Text7, &QLineEdit::textChanged, this, &Form1::Text7_Change);
    connect(m_ui.Text6, &QLineEdit::textChanged, this, &Form1::Text6_Change);
    m_ui.Text7->installEventFilter(this);
    m_ui.Text6->installEventFilter(this);
    connect(m_ui.Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(m_ui.Check2, &QCheckBox::clicked, this, &Form1::Check2_Click);
    for (QRadioButton *option : m_ui.folderOptions)
        connect(option, &QRadioButton::clicked, this, &Form1::OptionClick);
    connect(m_ui.PushButton17, &QPushButton::clicked, this, &Form1::PushButton17_Click);

    connect(m_ui.PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(m_ui.PushButton19, &QPushButton::clicked, this, &Form1::PushButton19_Click);
    connect(m_ui.PushButton22, &QPushButton::clicked, this, &Form1::PushButton22_Click);
    connect(m_ui.PushButton23, &QPushButton::clicked, this, &Form1::PushButton23_Click);

    connect(m_ui.PushButton13, &QPushButton::clicked, this, &Form1::PushButton13_Click);
    connect(m_ui.PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_ui.PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_ui.PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(m_ui.PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_ui.PushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);

    connect(m_ui.PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_ui.PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_ui.PushButton14, &QPushButton::clicked, this, &Form1::PushButton14_Click);
    connect(m_ui.PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_ui.PushButton12, &QPushButton::clicked, this, &Form1::PushButton12_Click);
    connect(m_ui.PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);

    for (QPushButton *help : {m_ui.PushButton15, m_ui.PushButton20, m_ui.PushButton21,
                              m_ui.PushButton10, m_ui.PushButton16, m_ui.PushButton18})
        connectHelpButton(help);

    // Esc asks a running extraction to stop, as a click on its "Stop" button would.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::stopRunningExtraction);
}

void Form1::connectHelpButton(QPushButton *button)
{
    connect(button, &QPushButton::clicked, this,
            [name = button->objectName()] { ShowMainWindowHelp(name); });
}

void Form1::watchPointerAreas()
{
    for (QWidget *area : m_ui.plainPointerAreas())
        m_pointer->watch(area, WindowPointer::Role::Plain);
    const QList<QPushButton *> startButtons = m_ui.extractionStartButtons();
    for (QPushButton *button : m_ui.pushButtons())
        m_pointer->watch(button,
                         startButtons.contains(button) ? WindowPointer::Role::HandEvenWhenBusy
                                                       : WindowPointer::Role::Hand);
    m_pointer->watch(m_ui.Check3, WindowPointer::Role::Hand);
}

void Form1::stopRunningExtraction()
{
    if (onExtractEmail && m_runningButton && m_runningButton->text() == StopCaption)
        m_runningButton->click();
}

Form2 &Form1::form2()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(*this);
    return *m_form2;
}

Form3 &Form1::form3()
{
    if (!m_form3)
        m_form3 = std::make_unique<Form3>(*this);
    return *m_form3;
}

QString Form1::statusText() const
{
    return m_ui.ProgressBar1->format();
}

bool Form1::isBusy() const
{
    return m_busyDepth > 0;
}

bool Form1::isConnected() const
{
    return m_ui.PushButton17->text() != ConnectCaption;
}

std::optional<ExtractionMode> Form1::activeMode() const
{
    const std::pair<bool, ExtractionMode> flags[] = {
        {mExtractAllEmailData, ExtractionMode::AllEmailData},
        {mExtractAllEmailDataContaining, ExtractionMode::Containing},
        {mExtractAllEmailDataContaininglist, ExtractionMode::ContainingList},
        {mExtractAllEmailDataNotContaining, ExtractionMode::NotContaining},
        {mExtractAllEmailDataStartsWith, ExtractionMode::Between},
        {mExtractAllEmailDataLineNumber, ExtractionMode::LineNumber},
    };
    for (const auto &[set, mode] : flags)
        if (set)
            return mode;
    return std::nullopt;
}

// ---- Start-up and shutdown ------------------------------------------------------------------

void Form1::Form_Load()
{
    Steps steps(QStringLiteral("Form1.Form_Load"));
    steps(100, [&] { ApplyVisualSkin(this); });
    steps(102, [&] { CheckOnline(); });
    steps(104, [&] {
        if (FileExists(ProgramFilePath(QStringLiteral("HAND-M.CUR"))))
            m_pointer->loadHandPicture();
    });
    steps(106, [&] {
        setWindowTitle(QString::fromLatin1(ProductName));
        setWindowIcon(ProgramIcon());
        SetApplicationTitle();
    });
    steps(108, [&] { m_ui.resultsHeading->setText(QStringLiteral("Results")); });
    steps(110, [&] {
        m_ui.Text7->setText(GetSetting(SettingsKeys::User));
        m_ui.Text6->setText(GetSetting(SettingsKeys::Password));
    });
    steps(112, [&] { loadFolderChoice(); });
    steps(114, [&] {
        isStopped = true;
        setModeFlags(std::nullopt);
    });
    steps(116, [&] {
        m_imapComponent = std::make_unique<ImapComponent>();
        m_imapComponent->setServerOverride(m_server);
    });
    steps(118, [&] { loadRememberedSignIn(); });
    steps(120, [&] { m_ui.Check2->setEnabled(m_ui.Check1->isChecked()); });
    steps(122, [&] {
        m_ui.Label3->setText(NoCharacterFilter);
        m_ui.Label4->setText(NoLabelFilter);
    });
    steps(124, [&] { setAutoConnectFromStore(); });
    steps(126, [&] {
        if (m_ui.Check2->checkState() == Qt::Checked)
            PushButton17_Click();
    });
}

void Form1::loadFolderChoice()
{
    // One after the other: a value that does not read as a boolean stops here, and the buttons
    // read before it keep their new state.
    for (int number = 3; number <= 10; ++number) {
        const bool selected = ReadBooleanSetting(optionKey(number), number == 3 ? 1 : 0);
        m_ui.option(number)->setChecked(selected);
    }
}

void Form1::loadRememberedSignIn()
{
    if (ReadWholeNumberSetting(SettingsKeys::StayConnected, 0) != 0) {
        m_ui.Check1->setChecked(true);
        m_ui.Text7->setText(GetSetting(SettingsKeys::User));
        m_ui.Text6->setText(GetSetting(SettingsKeys::Password));
    } else {
        m_ui.Check1->setChecked(false);
        forgetSignInBoxes();
    }
}

// Empties both sign-in boxes and forgets what the store held for them. A box that was empty
// already stores nothing, as its text did not change.
void Form1::forgetSignInBoxes()
{
    for (const auto &[box, key] : {std::pair {m_ui.Text7, SettingsKeys::User},
                                   std::pair {m_ui.Text6, SettingsKeys::Password}}) {
        if (box->text().isEmpty())
            continue;
        box->clear();
        SaveSetting(key, QString());
    }
}

void Form1::setAutoConnectFromStore()
{
    m_ui.Check2->setCheckState(
        checkStateFromNumber(ReadWholeNumberSetting(SettingsKeys::AutoConnect, 0)));
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload()
{
    m_closing = true;
    Prompts::setMuted(true);
    requestStop();
    if (m_form2)
        m_form2->hide();
    if (m_form3)
        m_form3->hide();
    endProgramWhenIdle();
}

// The running connect or run sees the stop flags at its next abort check and returns; the
// application ends once nothing of ours is left on the stack.
void Form1::endProgramWhenIdle()
{
    if (!m_closing || m_endRequested || onExtractEmail || m_connecting)
        return;
    m_endRequested = true;
    QCoreApplication::quit();
}

// ---- Sign-in boxes and check boxes ----------------------------------------------------------

// The sign-in boxes reach the store only while "Remember me" is ticked.
void Form1::Text7_Change()
{
    if (m_ui.Check1->isChecked())
        SaveSetting(SettingsKeys::User, m_ui.Text7->text());
}

void Form1::Text6_Change()
{
    if (m_ui.Check1->isChecked())
        SaveSetting(SettingsKeys::Password, m_ui.Text6->text());
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // Text7_GotFocus and Text6_GotFocus: select the whole text, also after a click (the click's
    // own cursor placement comes first, hence the queued selection).
    if (event->type() == QEvent::FocusIn && (watched == m_ui.Text7 || watched == m_ui.Text6)) {
        auto *box = static_cast<QLineEdit *>(watched);
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::Check1_Click()
{
    const bool ticked = m_ui.Check1->isChecked();
    SaveSetting(SettingsKeys::StayConnected, CheckForm(ticked));
    SaveSetting(SettingsKeys::User, ticked ? m_ui.Text7->text() : QString());
    SaveSetting(SettingsKeys::Password, ticked ? m_ui.Text6->text() : QString());
    m_ui.Check2->setEnabled(ticked);
}

void Form1::Check2_Click()
{
    SaveSetting(SettingsKeys::AutoConnect, CheckForm(m_ui.Check2->isChecked()));
}

void Form1::OptionClick()
{
    for (int number = 3; number <= 10; ++number)
        SaveSetting(optionKey(number), BooleanForm(m_ui.option(number)->isChecked()));
}

// ---- Connection -----------------------------------------------------------------------------

void Form1::PushButton17_Click()
{
    if (m_connecting) {
        // A second click while signing in gives up the sign-in.
        if (oSession)
            oSession->AbortProcess = true;
        return;
    }
    m_connecting = true;
    Steps steps(QStringLiteral("Form1.PushButton17_Click"));
    steps(100, [&] { showBusy(this); });
    if (m_ui.PushButton17->text() == ConnectCaption)
        connectToServer(steps);
    else
        disconnectFromServer(steps);
    m_connecting = false;
    endProgramWhenIdle();
}

void Form1::connectToServer(Steps &steps)
{
    steps(102, [&] { setStatusText(QStringLiteral("Connecting to Gmail...")); });
    if (!oSession) {
        steps(104, [&] { oSession = newSession(); });
        bool signedIn = false;
        steps(106, [&] { signedIn = oSession->Connect(); });
        if (!signedIn) {
            finishDisconnect(steps);
            return;
        }
        steps(108, [&] { oSession->EnumMailFolders(); });
        steps(110, [&] { showServerFolderCaptions(); });
        steps(112, [&] { loadFiltersFromStore(); });
        steps(114, [&] {
            if (!CharactersFilter.isEmpty())
                showCharacterFilterStatus();
        });
        steps(116, [&] {
            if (!LabelFilter.isEmpty())
                showLabelFilterStatus();
        });
        steps(118, [&] { setStatusText(QStringLiteral("Connected to Gmail.")); });
    }
    steps(120, [&] { m_ui.PushButton17->setText(DisconnectCaption); });
    steps(122, [&] { showDefaultPointer(this); });
}

void Form1::disconnectFromServer(Steps &steps)
{
    steps(130, [&] { setStatusText(QStringLiteral("Disconnecting from Gmail...")); });
    steps(132, [&] {
        if (!m_ui.Check1->isChecked()) {
            m_ui.Text7->clear();
            m_ui.Text6->clear();
            SaveSetting(SettingsKeys::User, QString());
            SaveSetting(SettingsKeys::Password, QString());
        }
    });
    steps(134, [&] { m_imapComponent->CloseConnection(); });
    finishDisconnect(steps);
}

// The end of a disconnect, also taken by a failed sign-in.
void Form1::finishDisconnect(Steps &steps)
{
    steps(136, [&] { m_results->clear(); });
    steps(138, [&] { showDesignFolderCaptions(); });
    steps(140, [&] { m_ui.PushButton17->setText(ConnectCaption); });
    steps(142, [&] {
        m_ui.Check1->setChecked(ReadWholeNumberSetting(SettingsKeys::StayConnected, 0) != 0);
    });
    steps(144, [&] { oSession.reset(); });
    steps(146, [&] {
        m_ui.Label3->setText(NoCharacterFilter);
        m_ui.Label4->setText(NoLabelFilter);
    });
    steps(148, [&] { setStatusText(QStringLiteral("Disconnected from Gmail.")); });
    steps(150, [&] { showDefaultPointer(this); });
}

void Form1::showServerFolderCaptions()
{
    for (int entry = 1; entry <= 7; ++entry)
        m_ui.option(entry + 3)->setText(gmailFolderNames.at(static_cast<std::size_t>(entry)));
}

void Form1::showDesignFolderCaptions()
{
    for (int entry = 1; entry <= 7; ++entry)
        m_ui.option(entry + 3)->setText(
            DesignFolderCaptions.at(static_cast<std::size_t>(entry - 1)));
}

void Form1::loadFiltersFromStore()
{
    CharactersFilter = GetSetting(SettingsKeys::CharactersFilter);
    LabelFilter = GetSetting(SettingsKeys::LabelFilter);
}

std::shared_ptr<clsImapSession> Form1::newSession()
{
    auto session =
        MailRun::newSession(m_imapComponent.get(), m_ui.Text7->text(), m_ui.Text6->text());
    connect(session.get(), &clsImapSession::ScrapProgress, this, &Form1::oSession_ScrapProgress);
    connect(session.get(), &clsImapSession::MailExtractListing, this,
            &Form1::oSession_MailExtractListing);
    return session;
}

// ---- Filters --------------------------------------------------------------------------------

void Form1::PushButton5_Click()
{
    runFilterDialog(
        QStringLiteral("Form1.PushButton5_Click"),
        [this] {
            Form5 dialog(LabelFilter, this);
            dialog.exec();
        },
        [this] { showLabelFilterStatus(); });
}

void Form1::PushButton19_Click()
{
    runFilterDialog(
        QStringLiteral("Form1.PushButton19_Click"),
        [this] {
            Form6 dialog(CharactersFilter, this);
            dialog.exec();
        },
        [this] { showCharacterFilterStatus(); });
}

// Both filter buttons: refuse while not connected, run the modal dialog, show the filter's state.
void Form1::runFilterDialog(const QString &location, const std::function<void()> &runDialog,
                            const std::function<void()> &showStatus)
{
    Steps steps(location);
    bool connected = true;
    steps(100, [&] {
        connected = isConnected();
        if (!connected)
            Prompts::inform(ConnectFirst);
    });
    if (!connected)
        return;
    steps(102, runDialog);
    steps(104, showStatus);
}

void Form1::showLabelFilterStatus()
{
    m_ui.Label4->setText(LabelFilter.isEmpty() ? NoLabelFilter
                                               : QStringLiteral("Label Filter: ") + LabelFilter);
}

void Form1::showCharacterFilterStatus()
{
    m_ui.Label3->setText(CharactersFilter.isEmpty()
                             ? NoCharacterFilter
                             : QStringLiteral("Character Filter: ") + CharactersFilter);
}

void Form1::PushButton22_Click()
{
    Steps steps(QStringLiteral("Form1.PushButton22_Click"));
    steps(100, [&] { CharactersFilter.clear(); });
    steps(102, [&] { SaveSetting(SettingsKeys::CharactersFilter, CharactersFilter); });
    steps(104, [&] { m_ui.Label3->setText(NoCharacterFilter); });
}

void Form1::PushButton23_Click()
{
    Steps steps(QStringLiteral("Form1.PushButton23_Click"));
    steps(100, [&] { LabelFilter.clear(); });
    steps(102, [&] { SaveSetting(SettingsKeys::LabelFilter, LabelFilter); });
    steps(104, [&] { m_ui.Label4->setText(NoLabelFilter); });
}

// ---- Extraction run -------------------------------------------------------------------------

void Form1::PushButton13_Click()
{
    startStopClick(m_ui.PushButton13, QStringLiteral("Extract All Email Data"),
                   ExtractionMode::AllEmailData, QStringLiteral("Form1.PushButton13_Click"), this);
}

void Form1::PushButton2_Click()
{
    startStopClick(m_ui.PushButton2, QStringLiteral("Extract All Lines Containing This Text:"),
                   ExtractionMode::Containing, QStringLiteral("Form1.PushButton2_Click"), this);
}

void Form1::PushButton8_Click()
{
    startStopClick(m_ui.PushButton8, QStringLiteral("Extract All Lines Not Contain. This Text:"),
                   ExtractionMode::NotContaining, QStringLiteral("Form1.PushButton8_Click"), this);
}

void Form1::PushButton7_Click()
{
    startStopClick(m_ui.PushButton7, QStringLiteral("Extract Lines By Number:"),
                   ExtractionMode::LineNumber, QStringLiteral("Form1.PushButton7_Click"), this);
}

void Form1::PushButton4_Click()
{
    Steps steps(QStringLiteral("Form1.PushButton4_Click"));
    steps(100, [&] {
        form2().show();
        form2().raise();
        form2().activateWindow();
    });
}

void Form1::PushButton11_Click()
{
    Steps steps(QStringLiteral("Form1.PushButton11_Click"));
    steps(100, [&] {
        form3().show();
        form3().raise();
        form3().activateWindow();
    });
}

void Form1::startStopClick(QPushButton *button, const QString &idleCaption, ExtractionMode mode,
                           const QString &location, QWidget *pointerWindow)
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
    steps(108, [&] { showBusy(pointerWindow); });
    steps(110, [&] {
        isStopped = false;
        onExtractEmail = true;
        m_runningButton = button;
    });
    steps(112, [&] { setModeFlags(mode); });
    steps(114, [&] { m_results->clear(); });
    steps(116, [&] { runMode(mode); });
    steps(118, [&] {
        showDefaultPointer(pointerWindow);
        onExtractEmail = false;
    });
    steps(120, [&] { button->setText(idleCaption); });
    endProgramWhenIdle();
}

// The checks before a run; a refused click puts its button's caption back.
bool Form1::refusedBeforeRun(QPushButton *button, const QString &idleCaption, ExtractionMode mode)
{
    if (!isConnected()) {
        Prompts::inform(ConnectFirst);
    } else if (onExtractEmail) {
        // another run is going on: the click only flashed "Stop"
    } else if (mode == ExtractionMode::Between) {
        const QString problem = BetweenMarkersProblem(form2().startMarker(), form2().endMarker());
        if (problem.isEmpty())
            return false;
        Prompts::inform(problem);
    } else {
        return false;
    }
    button->setText(idleCaption);
    return true;
}

void Form1::runMode(ExtractionMode mode)
{
    if (mode == ExtractionMode::LineNumber && !IsValidLineNumberEntry(m_ui.Text5->text())) {
        Prompts::inform(QStringLiteral("Entry must be number or numbers separated by commas."));
        return;
    }
    ExtractEmail();
}

void Form1::requestStop()
{
    isStopped = true;
    if (oSession)
        oSession->AbortProcess = true;
}

void Form1::setModeFlags(std::optional<ExtractionMode> mode)
{
    mExtractAllEmailData = mode == ExtractionMode::AllEmailData;
    mExtractAllEmailDataContaining = mode == ExtractionMode::Containing;
    mExtractAllEmailDataContaininglist = mode == ExtractionMode::ContainingList;
    mExtractAllEmailDataNotContaining = mode == ExtractionMode::NotContaining;
    mExtractAllEmailDataStartsWith = mode == ExtractionMode::Between;
    mExtractAllEmailDataLineNumber = mode == ExtractionMode::LineNumber;
}

void Form1::ExtractEmail()
{
    Steps steps(QStringLiteral("Form1.ExtractEmail"));
    QString folderName;
    std::shared_ptr<clsImapSession> session; // kept to the end, even if a Disconnect drops it
    bool signedIn = true;
    steps(100, [&] {
        showBusy(this);
        isStopped = false;
    });
    steps(102, [&] { folderName = chosenFolderName(); });
    steps(104, [&] { m_results->clear(); });
    steps(106, [&] {
        if (!oSession) {
            oSession = newSession();
            suppressDoneNotice = false;
            signedIn = oSession->Connect();
            if (!signedIn)
                suppressDoneNotice = true;
        }
        session = oSession;
    });
    if (signedIn) {
        steps(108, [&] { MailRun::countFolder(*session, folderName); });
        steps(110, [&] {
            if (!MailRun::readFolder(*session, folderName)) {
                Prompts::inform(QStringLiteral("There are no emails in the Folder you selected."));
                suppressDoneNotice = true;
            }
        });
    }
    steps(112, [&] {
        oSession.reset();
        resetProgressBar();
        showDefaultPointer(this);
    });
    steps(114, [&] { showRunEnd(session.get()); });
}

// "Done.", unless the run lost its connection part-way: then where it was lost, so a short list
// is never taken for a complete one.
void Form1::showRunEnd(const clsImapSession *session)
{
    m_results->flushPendingRows();
    if (session && session->ConnectionLost()) {
        Prompts::inform(QStringLiteral("Connection lost at message %1 of %2.")
                            .arg(session->ConnectionLostAt())
                            .arg(session->MaxRecord));
        return;
    }
    if (!suppressDoneNotice)
        Prompts::inform(QStringLiteral("Done."));
}

QString Form1::chosenFolderName() const
{
    if (!LabelFilter.isEmpty())
        return LabelFilter;
    if (m_ui.option(3)->isChecked())
        return QString();
    for (int number = 4; number <= 10; ++number)
        if (m_ui.option(number)->isChecked())
            return QStringLiteral("[Gmail]/") + m_ui.option(number)->text();
    return QString();
}

void Form1::oSession_ScrapProgress(int &percent)
{
    QProgressBar *bar = m_ui.ProgressBar1;
    bar->setMaximum(100);
    bar->setValue(std::clamp(percent, bar->minimum(), bar->maximum()));
    showReadingStatus(qobject_cast<clsImapSession *>(sender()));
    LetWindowProcessEvents();
}

// "Reading mail n of m". Also shown as each message arrives: a message that comes in one piece
// gives no progress report, and a fast run would otherwise never say where it is.
void Form1::showReadingStatus(const clsImapSession *session)
{
    if (session)
        setStatusText(QStringLiteral("Reading mail %1 of %2")
                          .arg(session->CurrentLocation)
                          .arg(session->MaxRecord));
}

void Form1::oSession_MailExtractListing(MailListing &listing)
{
    const QString location = QStringLiteral("Form1.oSession_MailExtractListing");
    Steps steps(location);
    steps(100, [&] { showReadingStatus(qobject_cast<clsImapSession *>(sender())); });
    const std::optional<ExtractionMode> mode = activeMode();
    if (!mode)
        return;
    ExtractionHooks hooks;
    hooks.letEventsRun = LetWindowProcessEvents;
    hooks.reportFailure = [&](const StepFailure &failure) {
        ShowErrorReport(ErrorReportText(failure.description(), location, 102));
    };
    steps(102, [&] { ExtractRows(listing, *mode, *m_modeInputs, *m_results, hooks); });
}

void Form1::setStatusText(const QString &text)
{
    m_ui.ProgressBar1->setFormat(text);
    m_ui.ProgressBar1->setAccessibleName(text);
}

void Form1::resetProgressBar()
{
    setStatusText(IdleStatus);
    m_ui.ProgressBar1->setValue(m_ui.ProgressBar1->minimum());
}

void Form1::showBusy(QWidget *pointerWindow)
{
    ++m_busyDepth;
    if (pointerWindow && pointerWindow != this)
        pointerWindow->setCursor(Qt::WaitCursor);
    m_pointer->showBusy();
}

void Form1::showDefaultPointer(QWidget *pointerWindow)
{
    m_busyDepth = std::max(0, m_busyDepth - 1);
    if (pointerWindow && pointerWindow != this)
        pointerWindow->unsetCursor();
    if (m_busyDepth == 0)
        m_pointer->showDefault();
}

// ---- Export ---------------------------------------------------------------------------------

void Form1::PushButton1_Click()
{
    m_export->copyLinePerRow();
}

void Form1::PushButton3_Click()
{
    m_export->copyWithTabs(QStringLiteral("Form1.PushButton3_Click"));
}

void Form1::PushButton14_Click()
{
    m_export->copyWithSpaces(QStringLiteral("Form1.PushButton14_Click"));
}

void Form1::PushButton6_Click()
{
    m_export->saveTextFile(QStringLiteral("Form1.PushButton6_Click"));
}

void Form1::PushButton12_Click()
{
    m_export->saveCommaDelimited(QStringLiteral("Form1.PushButton12_Click"));
}

void Form1::PushButton9_Click()
{
    if (isBusy())
        return;
    m_results->clear();
}
