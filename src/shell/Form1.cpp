#include "Form1.h"

#include "ApplicationTitle.h"
#include "ConnectSequence.h"
#include "ConnectivityCheck.h"
#include "FileHelpers.h"
#include "FilterPanel.h"
#include "FolderChoice.h"
#include "Form1ModeInputs.h"
#include "Form2.h"
#include "Form3.h"
#include "ImapComponent.h"
#include "LocalCopyPanel.h"
#include "MainWindowHelp.h"
#include "ProgramFolder.h"
#include "ProgramIcon.h"
#include "ProgressDisplay.h"
#include "Prompts.h"
#include "ResultExport.h"
#include "ResultListModel.h"
#include "ResultListView.h"
#include "RunSequence.h"
#include "SignInBoxes.h"
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
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

Form1::Form1(QWidget *parent)
    : QWidget(parent),
      m_pointer(new WindowPointer(this)),
      m_results(new ResultListModel(this)),
      m_progress(std::make_unique<ProgressDisplay>(m_ui)),
      m_signIn(std::make_unique<SignInBoxes>(m_ui)),
      m_folders(std::make_unique<FolderChoice>(m_ui)),
      m_filters(std::make_unique<FilterPanel>(*this)),
      m_connection(std::make_unique<ConnectSequence>(*this)),
      m_run(std::make_unique<RunSequence>(*this))
{
    setObjectName(QStringLiteral("Form1"));
    m_ui.build(this);
    m_ui.ListView1->setResultModel(m_results);
    m_ui.localCopy->setAccountSource([this] { return m_ui.Text7->text(); });
    m_modeInputs = std::make_unique<Form1ModeInputs>(*this);
    m_export = std::make_unique<ResultExport>(
        *m_results,
        ResultExport::WindowHooks {[this](const QString &text) { m_progress->setText(text); },
                                   [this] { m_pointer->beginBusy(this); },
                                   [this] { m_pointer->endBusy(this); }});
    m_progress->showIdle();
    connectSignals();
    watchPointerAreas();
    resize(1000, 720);
}

Form1::~Form1() = default;

void Form1::connectSignals()
{
    connect(m_ui.Text7, &QLineEdit::textChanged, this, &Form1::Text7_Change);
    m_signIn->selectAllOnFocus();
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
    connect(escape, &QShortcut::activated, this, [this] { m_run->stopRunning(); });
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
    for (QWidget *control : m_ui.localCopy->focusOrder())
        m_pointer->watch(control, WindowPointer::Role::Hand);
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
    return m_progress->text();
}

bool Form1::isBusy() const
{
    return m_pointer->inBusySpan();
}

bool Form1::isConnected() const
{
    return m_ui.PushButton17->text() != ConnectSequence::ConnectCaption;
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
    steps(109, [&] { m_signIn->moveStoredPassword(); });
    steps(110, [&] { m_signIn->showStoredSignIn(); });
    steps(112, [&] { m_folders->load(); });
    steps(114, [&] {
        isStopped = true;
        m_run->setModeFlags(std::nullopt);
    });
    steps(116, [&] {
        m_imapComponent = std::make_unique<ImapComponent>();
        m_imapComponent->setServerOverride(m_server);
    });
    steps(118, [&] { m_signIn->loadRememberedSignIn(); });
    steps(120, [&] { m_signIn->enableAutoConnectAsRemembered(); });
    steps(122, [&] { m_filters->showNone(); });
    steps(124, [&] { m_signIn->loadAutoConnect(); });
    steps(126, [&] {
        if (m_signIn->autoConnectChosen())
            PushButton17_Click();
    });
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
    m_run->requestStop();
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
    if (!m_closing || m_endRequested || onExtractEmail || m_connection->connecting())
        return;
    m_endRequested = true;
    QCoreApplication::quit();
}

// ---- Sign-in boxes, check boxes and folder buttons ------------------------------------------

void Form1::Text7_Change()
{
    m_signIn->storeUser();
}

void Form1::Check1_Click()
{
    m_signIn->storeRememberChoice();
}

void Form1::Check2_Click()
{
    m_signIn->storeAutoConnect();
}

void Form1::OptionClick()
{
    m_folders->save();
}

// ---- Connection -----------------------------------------------------------------------------

void Form1::PushButton17_Click()
{
    m_connection->click();
}

// ---- Filters --------------------------------------------------------------------------------

void Form1::PushButton5_Click()
{
    m_filters->runDialog(FilterPanel::Filter::Label, QStringLiteral("Form1.PushButton5_Click"));
}

void Form1::PushButton19_Click()
{
    m_filters->runDialog(FilterPanel::Filter::Characters,
                         QStringLiteral("Form1.PushButton19_Click"));
}

void Form1::PushButton22_Click()
{
    m_filters->clear(FilterPanel::Filter::Characters, QStringLiteral("Form1.PushButton22_Click"));
}

void Form1::PushButton23_Click()
{
    m_filters->clear(FilterPanel::Filter::Label, QStringLiteral("Form1.PushButton23_Click"));
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
    showOptionDialog(QStringLiteral("Form1.PushButton4_Click"),
                     [this]() -> QWidget & { return form2(); });
}

void Form1::PushButton11_Click()
{
    showOptionDialog(QStringLiteral("Form1.PushButton11_Click"),
                     [this]() -> QWidget & { return form3(); });
}

// Created on first use inside the step, so that a failure to create it is reported there.
void Form1::showOptionDialog(const QString &location, const std::function<QWidget &()> &dialog)
{
    Steps steps(location);
    steps(100, [&] {
        QWidget &shown = dialog();
        shown.show();
        shown.raise();
        shown.activateWindow();
    });
}

void Form1::startStopClick(QPushButton *button, const QString &idleCaption, ExtractionMode mode,
                           const QString &location, QWidget *pointerWindow)
{
    m_run->startStopClick(button, idleCaption, mode, location, pointerWindow);
}

void Form1::ExtractEmail()
{
    m_run->extractEmail();
}

void Form1::oSession_ScrapProgress(int &percent)
{
    m_progress->showPercent(percent);
    m_progress->showReading(qobject_cast<clsImapSession *>(sender()));
    LetWindowProcessEvents();
}

void Form1::oSession_MailExtractListing(MailListing &listing)
{
    m_run->extractListing(listing, qobject_cast<clsImapSession *>(sender()));
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
