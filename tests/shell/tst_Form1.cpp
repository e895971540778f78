// The main window without a server: start-up from the store, the sign-in boxes, the folder
// choice, refusals, the exports, the result list and accessibility.
#include "ApplicationTitle.h"
#include "Form1.h"
#include "Form2.h"
#include "ResultListModel.h"
#include "ResultListView.h"
#include "RunFlags.h"
#include "ScriptedPrompts.h"
#include "SecretStore.h"
#include "ServerOverride.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"
#include "WindowPointer.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString Absent = QStringLiteral("<absent>");
const QString ConnectFirst =
    QStringLiteral("Please connect first (Step 1) before using this feature.");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Run inside a private D-Bus session with an unlocked keyring (with-keyring.sh), except the one
// case that shows the program without a secret store.
bool hasSecretService()
{
    return qEnvironmentVariableIsSet("TESSALINE_IN_PRIVATE_BUS");
}

// The settings file as it is on disk, for what must never be in it.
QString settingsFileText()
{
    return QString::fromUtf8(fileBytes(SettingsFilePath()));
}

std::optional<QString> keptPassword(const QString &user)
{
    return SecretStore().read(SecretStore::appPasswordKey(user));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class tst_Form1 : public QObject
{
    Q_OBJECT

private:
    Form1 &start();
    Form1 &restart();
    void fillRows(const QStringList &rows, const QList<int> &ticked = {});
    // Pretends a connection, so the start buttons get past their first check.
    void showConnected();

    TestEnvironment m_environment;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Form1> m_window;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartOnEmptyStore();
    void startUpFromStoredValues_data();
    void startUpFromStoredValues();
    void unreadableStoredValueIsReportedAndStartUpGoesOn();
    void rememberMeAcrossRestart();
    void passwordIsKeptOnlyWhenASignInStarts();
    void rememberMeWithoutSecretStore();
    void clearingRememberMeKeepsAutoconnectTicked();
    void autoConnectWithoutRememberMeStillConnects();
    void folderChoiceIsStored();
    void refusedWhileNotConnected_data();
    void refusedWhileNotConnected();
    void lineNumberEntryRejected_data();
    void lineNumberEntryRejected();
    void betweenRunRefusedWithEmptyMarker();
    void clearFilterButtonsWorkDisconnected();
    void clipboardCopies_data();
    void clipboardCopies();
    void copiesOfAnEmptyList();
    void saves_data();
    void saves();
    void overwriteQuestion();
    void failedSaveIsReported();
    void clearListRefusedWhileBusy();
    void pointerFollowsControls();
    void resultListTicks();
    void helpButtonsShowTheirBoxes();
    void accessibilityWalk();
    void everyButtonReachableByTab();
};

Form1 &tst_Form1::start()
{
    m_window = std::make_unique<Form1>();
    m_window->setServerOverride(ServerOverride::fromEnvironment());
    m_window->Form_Load();
    return *m_window;
}

Form1 &tst_Form1::restart()
{
    m_window.reset();
    return start();
}

void tst_Form1::fillRows(const QStringList &rows, const QList<int> &ticked)
{
    ResultListModel &results = m_window->results();
    results.clear();
    for (const QString &row : rows)
        results.append(row);
    results.flushPendingRows();
    for (int row : ticked)
        results.setChecked(row, true);
}

void tst_Form1::showConnected()
{
    m_window->controls().PushButton17->setText(QStringLiteral("Disconnect"));
}

void tst_Form1::initTestCase()
{
    // The start-up check must never reach the network here.
    qputenv("TESSALINE_PING_COMMAND", "echo 64 bytes from 127.0.0.1");
    // Nothing listens there: a connect fails at once.
    qputenv("TESSALINE_IMAP_HOST", "127.0.0.1:1");
}

void tst_Form1::init()
{
    m_environment.resetSettings();
    for (const QString &user : {QStringLiteral("ann"), QStringLiteral("ann@example.test")})
        SecretStore().remove(SecretStore::appPasswordKey(user));
    m_prompts = std::make_unique<ScriptedPrompts>();
    suppressDoneNotice = false;
}

void tst_Form1::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    Prompts::setMuted(false);
}

void tst_Form1::firstStartOnEmptyStore()
{
    m_prompts->expectNoBoxes();
    Form1 &window = start();
    const Form1Controls &ui = window.controls();

    QVERIFY(ui.option(3)->isChecked());
    for (int number = 4; number <= 10; ++number)
        QVERIFY(!ui.option(number)->isChecked());
    QVERIFY(ui.Text7->text().isEmpty());
    QVERIFY(ui.Text6->text().isEmpty());
    QVERIFY(!ui.Check1->isChecked());
    QVERIFY(!ui.Check2->isChecked());
    QVERIFY(!ui.Check2->isEnabled());
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("1. Connect"));
    QCOMPARE(ui.Label3->text(), QStringLiteral("No Character Filter set"));
    QCOMPARE(ui.Label4->text(), QStringLiteral("No Label Filter set"));
    QCOMPARE(window.statusText(), QStringLiteral("Progress Bar"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tessaline"));
    QVERIFY(window.isStopped);
    QVERIFY(!window.activeMode());
    QVERIFY(window.ImapComponent1());
    QVERIFY(!window.oSession);
    // Empty boxes set to empty text change nothing, so nothing was stored for them.
    QCOMPARE(GetSetting(QStringLiteral("User"), Absent), Absent);
    QCOMPARE(GetSetting(QStringLiteral("Password"), Absent), Absent);
}

void tst_Form1::startUpFromStoredValues_data()
{
    QTest::addColumn<QStringList>("stored"); // key=value pairs
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("remembered");
    QTest::addColumn<bool>("autoConnectEnabled");
    QTest::addColumn<int>("selectedOption");
    QTest::addColumn<QString>("storedUserAfter");

    QTest::newRow("remembered sign-in")
        << QStringList {"StayConnected=1", "User=ann", "Password=pw"} << "ann" << true << true << 3
        << "ann";
    QTest::newRow("not remembered: the stored name is forgotten")
        << QStringList {"StayConnected=0", "User=ann", "Password=pw"} << "" << false << false << 3
        << "";
    QTest::newRow("All Mail stored as words")
        << QStringList {"Option3=False", "Option4=True", "Option5=False"} << "" << false << false
        << 4 << "<absent>";
    QTest::newRow("All Mail stored as numbers")
        << QStringList {"Option3=0", "Option4=1"} << "" << false << false << 4 << "<absent>";
}

void tst_Form1::startUpFromStoredValues()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, user);
    QFETCH(bool, remembered);
    QFETCH(bool, autoConnectEnabled);
    QFETCH(int, selectedOption);
    QFETCH(QString, storedUserAfter);
    for (const QString &pair : stored)
        SaveSetting(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));

    m_prompts->expectNoBoxes();
    const Form1Controls &ui = start().controls();
    QCOMPARE(ui.Text7->text(), user);
    QCOMPARE(ui.Text6->text().isEmpty(), user.isEmpty());
    QCOMPARE(ui.Check1->isChecked(), remembered);
    QCOMPARE(ui.Check2->isEnabled(), autoConnectEnabled);
    QVERIFY(ui.option(selectedOption)->isChecked());
    QCOMPARE(GetSetting(QStringLiteral("User"), Absent), storedUserAfter);
    // An earlier version's stored password has gone to the secret store.
    QVERIFY2(!settingsFileText().contains(QStringLiteral("Password")),
             qPrintable(settingsFileText()));
    QCOMPARE(ui.Text6->text(), remembered ? QStringLiteral("pw") : QString());
}

void tst_Form1::unreadableStoredValueIsReportedAndStartUpGoesOn()
{
    SaveSetting(QStringLiteral("Option4"), QStringLiteral("True"));
    SaveSetting(QStringLiteral("Option5"), QStringLiteral("maybe"));
    SaveSetting(QStringLiteral("StayConnected"), QStringLiteral("1"));
    SaveSetting(QStringLiteral("User"), QStringLiteral("ann"));

    const Form1Controls &ui = start().controls();
    QCOMPARE(m_prompts->boxes().size(), 1);
    const ScriptedPrompts::Box report = m_prompts->boxes().first();
    QCOMPARE(report.title, QStringLiteral("Application Error"));
    QCOMPARE(report.icon, Prompts::Icon::Warning);
    QVERIFY(
        report.text.contains(QStringLiteral("in Tessaline2021/08/31.Form1.Form_Load at line ")));
    // Buttons read before the bad value keep their new state; later steps still ran.
    QVERIFY(ui.option(4)->isChecked());
    QVERIFY(ui.Check1->isChecked());
    QCOMPARE(ui.Text7->text(), QStringLiteral("ann"));
    QCOMPARE(ui.Label4->text(), QStringLiteral("No Label Filter set"));
}

void tst_Form1::rememberMeAcrossRestart()
{
    const Form1Controls *ui = &start().controls();
    QTest::keyClicks(ui->Text7, QStringLiteral("ann@example.test"));
    QTest::keyClicks(ui->Text6, QStringLiteral("s3cret"));
    QTest::mouseClick(ui->Check1, Qt::LeftButton);
    QVERIFY(ui->Check2->isEnabled());
    QTest::mouseClick(ui->PushButton17, Qt::LeftButton); // nothing listens: its own box

    ui = &restart().controls();
    QCOMPARE(ui->Text7->text(), QStringLiteral("ann@example.test"));
    QCOMPARE(ui->Text6->text(), QStringLiteral("s3cret"));
    QVERIFY(ui->Check1->isChecked());
    QVERIFY(ui->Check2->isEnabled());
    QVERIFY(!settingsFileText().contains(QStringLiteral("s3cret")));

    QTest::mouseClick(ui->Check1, Qt::LeftButton);
    QCOMPARE(GetSetting(QStringLiteral("StayConnected")), QStringLiteral("0"));
    QCOMPARE(GetSetting(QStringLiteral("User"), Absent), QString());
    QCOMPARE(keptPassword(QStringLiteral("ann@example.test")), std::nullopt);

    ui = &restart().controls();
    QVERIFY(ui->Text7->text().isEmpty());
    QVERIFY(ui->Text6->text().isEmpty());
    QVERIFY(!ui->Check1->isChecked());
}

// Not per keystroke: the secret store gets the password the sign-in is started with.
void tst_Form1::passwordIsKeptOnlyWhenASignInStarts()
{
    if (!hasSecretService())
        QSKIP("needs a secret service");
    const Form1Controls &ui = start().controls();
    QTest::keyClicks(ui.Text7, QStringLiteral("ann"));
    QTest::keyClicks(ui.Text6, QStringLiteral("typed"));
    QTest::mouseClick(ui.Check1, Qt::LeftButton);
    QTest::keyClicks(ui.Text6, QStringLiteral("!"));
    QCOMPARE(keptPassword(QStringLiteral("ann")), std::nullopt);

    m_prompts->clear();
    QTest::mouseClick(ui.PushButton17, Qt::LeftButton);
    QCOMPARE(keptPassword(QStringLiteral("ann")), QStringLiteral("typed!"));
    QCOMPARE(m_prompts->messageTexts().size(), 1); // the connection's own box, no notice
    QCOMPARE(GetSetting(QStringLiteral("User")), QStringLiteral("ann"));
    QCOMPARE(GetSetting(QStringLiteral("StayConnected")), QStringLiteral("1"));
    QVERIFY(!settingsFileText().contains(QStringLiteral("typed")));
}

// Without a secret store the user is told once, and the password lasts for this run only.
void tst_Form1::rememberMeWithoutSecretStore()
{
    if (hasSecretService())
        QSKIP("runs without a secret service (tst_Form1WithoutSecretStore)");
    SaveSetting(QStringLiteral("StayConnected"), QStringLiteral("1"));
    SaveSetting(QStringLiteral("User"), QStringLiteral("ann"));
    SaveSetting(QStringLiteral("Password"), QStringLiteral("old-pw"));
    const Form1Controls *ui = &start().controls();
    // An earlier version's password stays where it is rather than being lost.
    QCOMPARE(m_prompts->messageTexts().size(), 1);
    QVERIFY(
        m_prompts->messageTexts().first().contains(QStringLiteral("still in the settings file")));
    QCOMPARE(ui->Text6->text(), QStringLiteral("old-pw"));

    // Unticking forgets it, also from the file.
    QTest::mouseClick(ui->Check1, Qt::LeftButton);
    QVERIFY(!settingsFileText().contains(QStringLiteral("old-pw")));
    QTest::mouseClick(ui->Check1, Qt::LeftButton);

    ui = &restart().controls();
    QVERIFY(ui->Text6->text().isEmpty());
    QTest::keyClicks(ui->Text6, QStringLiteral("new-pw"));
    m_prompts->clear();
    QTest::mouseClick(ui->PushButton17, Qt::LeftButton);
    QTest::mouseClick(ui->PushButton17, Qt::LeftButton);
    const QStringList texts = m_prompts->messageTexts();
    QCOMPARE(texts.size(), 3); // one notice, then the two connections' own boxes
    QVERIFY2(texts.first().contains(QStringLiteral("only until the program closes")),
             qPrintable(texts.first()));
    QVERIFY(!settingsFileText().contains(QStringLiteral("new-pw")));
    QCOMPARE(restart().controls().Text6->text(), QStringLiteral("new-pw"));
}

void tst_Form1::clearingRememberMeKeepsAutoconnectTicked()
{
    const Form1Controls &ui = start().controls();
    QTest::mouseClick(ui.Check1, Qt::LeftButton);
    QTest::mouseClick(ui.Check2, Qt::LeftButton);
    QCOMPARE(GetSetting(QStringLiteral("AutoConnect")), QStringLiteral("1"));

    QTest::mouseClick(ui.Check1, Qt::LeftButton);
    QVERIFY(ui.Check2->isChecked());
    QVERIFY(!ui.Check2->isEnabled());
    QCOMPARE(GetSetting(QStringLiteral("AutoConnect")), QStringLiteral("1"));
}

void tst_Form1::autoConnectWithoutRememberMeStillConnects()
{
    SaveSetting(QStringLiteral("AutoConnect"), QStringLiteral("1"));
    SaveSetting(QStringLiteral("StayConnected"), QStringLiteral("0"));
    m_prompts->answerMessage(Prompts::Answer::No); // nothing listens: the connection's own box

    const Form1Controls &ui = start().controls();
    QVERIFY(ui.Check2->isChecked());
    QVERIFY(!ui.Check2->isEnabled());
    QVERIFY(ui.Text7->text().isEmpty());
    const QStringList texts = m_prompts->messageTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(QStringLiteral("Could not connect to Gmail")),
             qPrintable(texts.first()));
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("1. Connect"));
    QCOMPARE(m_window->statusText(), QStringLiteral("Disconnected from Gmail."));
    QVERIFY(!m_window->isBusy());
}

void tst_Form1::folderChoiceIsStored()
{
    const Form1Controls &ui = start().controls();
    QTest::mouseClick(ui.option(5), Qt::LeftButton);
    QStringList stored;
    for (int number = 3; number <= 10; ++number)
        stored << GetSetting(QStringLiteral("Option%1").arg(number));
    QCOMPARE(stored.join(QLatin1Char(',')),
             QStringLiteral("False,False,True,False,False,False,False,False"));

    QVERIFY(restart().controls().option(5)->isChecked());
}

void tst_Form1::refusedWhileNotConnected_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Extract All Email Data") << "PushButton13";
    QTest::newRow("containing") << "PushButton2";
    QTest::newRow("not containing") << "PushButton8";
    QTest::newRow("by number") << "PushButton7";
    QTest::newRow("Filter By Label") << "PushButton5";
    QTest::newRow("Filter By Characters") << "PushButton19";
}

void tst_Form1::refusedWhileNotConnected()
{
    QFETCH(QString, button);
    start();
    fillRows({QStringLiteral("kept")});
    auto *pushButton = m_window->findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    const QString caption = pushButton->text();
    QTest::mouseClick(pushButton, Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {ConnectFirst});
    QCOMPARE(m_prompts->boxes().first().title, ApplicationTitle());
    QCOMPARE(m_prompts->boxes().first().icon, Prompts::Icon::None);
    QCOMPARE(pushButton->text(), caption);
    QCOMPARE(m_window->results().count(), 1);
    QVERIFY(!m_window->onExtractEmail);
    QVERIFY(!m_window->isBusy());
}

void tst_Form1::lineNumberEntryRejected_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("empty") << "";
    QTest::newRow("two commas") << "1,,2";
    QTest::newRow("a word") << "three";
    QTest::newRow("one word in a list") << "1, two, 3";
}

void tst_Form1::lineNumberEntryRejected()
{
    QFETCH(QString, entry);
    start();
    showConnected();
    fillRows({QStringLiteral("old row")});
    m_window->controls().Text5->setText(entry);
    QTest::mouseClick(m_window->controls().PushButton7, Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(),
             QStringList {QStringLiteral("Entry must be number or numbers separated by commas.")});
    QCOMPARE(m_window->results().count(), 0); // cleared before the check
    QCOMPARE(m_window->controls().PushButton7->text(), QStringLiteral("Extract Lines By Number:"));
    QVERIFY(m_window->mExtractAllEmailDataLineNumber);
    QVERIFY(!m_window->onExtractEmail);
    QVERIFY(!m_window->oSession); // no run, no sign-in
}

void tst_Form1::betweenRunRefusedWithEmptyMarker()
{
    start();
    showConnected();
    fillRows({QStringLiteral("kept")});
    QPushButton button(QStringLiteral("Start Extracting"));
    m_window->startStopClick(&button, QStringLiteral("Start Extracting"), ExtractionMode::Between,
                             QStringLiteral("Form2.PushButton4_Click"), &m_window->form2());

    QCOMPARE(m_prompts->messageTexts().size(), 1);
    QVERIFY(!m_prompts->messageTexts().first().isEmpty());
    QCOMPARE(button.text(), QStringLiteral("Start Extracting"));
    QCOMPARE(m_window->results().count(), 1);
    QVERIFY(!m_window->onExtractEmail);
    QVERIFY(!m_window->form2().isVisible()); // read without showing it
}

void tst_Form1::clearFilterButtonsWorkDisconnected()
{
    SaveSetting(QStringLiteral("CharactersFilter"), QStringLiteral("abc"));
    SaveSetting(QStringLiteral("LabelFilter"), QStringLiteral("Work"));
    Form1 &window = start();
    window.CharactersFilter = QStringLiteral("abc");
    window.LabelFilter = QStringLiteral("Work");
    window.controls().Label3->setText(QStringLiteral("Character Filter: abc"));

    QTest::mouseClick(window.controls().PushButton22, Qt::LeftButton);
    QTest::mouseClick(window.controls().PushButton23, Qt::LeftButton);
    QVERIFY(window.CharactersFilter.isEmpty());
    QVERIFY(window.LabelFilter.isEmpty());
    QCOMPARE(GetSetting(QStringLiteral("CharactersFilter"), Absent), QString());
    QCOMPARE(GetSetting(QStringLiteral("LabelFilter"), Absent), QString());
    QCOMPARE(window.controls().Label3->text(), QStringLiteral("No Character Filter set"));
    QCOMPARE(window.controls().Label4->text(), QStringLiteral("No Label Filter set"));
    QVERIFY(m_prompts->boxes().isEmpty());
}

void tst_Form1::clipboardCopies_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("notice");

    const QStringList abcA {QStringLiteral("abc"), QStringLiteral("a")};
    QTest::newRow("line per row") << "PushButton1" << abcA << QList<int> {0, 1} << "abc\r\na\r\n"
                                  << false;
    QTest::newRow("spaces") << "PushButton14" << abcA << QList<int> {0, 1}
                            << "abc     \r\na       \r\n"
                            << true;
    QTest::newRow("tabs") << "PushButton3" << abcA << QList<int> {0, 1} << "abc\t\r\na  \t\r\n"
                          << true;
    QTest::newRow("an unticked long row widens the columns")
        << "PushButton14" << QStringList {"a", "longer"} << QList<int> {0} << "a          \r\n"
        << true;
    QTest::newRow("rows but none ticked") << "PushButton1" << abcA << QList<int> {} << "" << false;
}

void tst_Form1::clipboardCopies()
{
    QFETCH(QString, button);
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, ticked);
    QFETCH(QString, expected);
    QFETCH(bool, notice);
    start();
    fillRows(rows, ticked);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    if (notice) {
        QCOMPARE(m_prompts->messageTexts(),
                 QStringList {QStringLiteral("Results have been copied to the clipboard.\r\r"
                                             "Click a text area where you normally type and "
                                             "press Ctrl+V to paste the clipboard.")});
        QCOMPARE(m_window->statusText(), QStringLiteral("Progress Bar"));
    } else {
        QVERIFY(m_prompts->boxes().isEmpty());
    }
    QVERIFY(!m_window->isBusy());
}

void tst_Form1::copiesOfAnEmptyList()
{
    start();
    for (const char *button : {"PushButton1", "PushButton3", "PushButton14"}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        QTest::mouseClick(m_window->findChild<QPushButton *>(QLatin1String(button)),
                          Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    }
    QCOMPARE(m_prompts->messageTexts().size(), 2); // the notice comes even so
}

void tst_Form1::saves_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("text file") << "PushButton6" << QStringList {"a", "b"}
                               << QByteArray("a\r\nb\r\n");
    QTest::newRow("comma-delimited")
        << "PushButton12" << QStringList {"a", "b"} << QByteArray("a,b,\r\n");
    QTest::newRow("empty text file") << "PushButton6" << QStringList {} << QByteArray();
    QTest::newRow("empty comma-delimited")
        << "PushButton12" << QStringList {} << QByteArray("\r\n");
    QTest::newRow("values written unchanged, in UTF-8")
        << "PushButton12" << QStringList {"x,y", "Événement"}
        << QByteArray("x,y,\xc3\x89v\xc3\xa9nement,\r\n");
}

void tst_Form1::saves()
{
    QFETCH(QString, button);
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, expected);
    start();
    fillRows(rows); // ticks do not matter to the files
    const QString path = QDir(m_environment.programFolder()).filePath(QStringLiteral("out.txt"));
    QFile::remove(path);
    m_prompts->answerSaveFileName(path);

    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(fileBytes(path), expected);
    QCOMPARE(m_prompts->boxes().size(), 1); // the file dialog only: no overwrite question
    QCOMPARE(m_prompts->boxes().first().title, QStringLiteral("Save"));
    QVERIFY(!m_window->isBusy());
}

void tst_Form1::overwriteQuestion()
{
    start();
    fillRows({QStringLiteral("new")});
    const QString path = QDir(m_environment.programFolder()).filePath(QStringLiteral("old.txt"));
    writeFile(path, "old");

    m_prompts->answerSaveFileName(path);
    m_prompts->answerMessage(Prompts::Answer::No);
    QTest::mouseClick(m_window->controls().PushButton6, Qt::LeftButton);
    QCOMPARE(fileBytes(path), QByteArray("old"));
    QCOMPARE(m_prompts->messageTexts(),
             QStringList {QStringLiteral("Are you sure you wish to overwrite ") + path
                          + QStringLiteral(" ?")});
    QCOMPARE(m_prompts->boxes().last().buttons, Prompts::Buttons::YesNo);

    m_prompts->answerSaveFileName(path);
    m_prompts->answerMessage(Prompts::Answer::Yes);
    QTest::mouseClick(m_window->controls().PushButton6, Qt::LeftButton);
    QCOMPARE(fileBytes(path), QByteArray("new\r\n"));

    m_prompts->clear();
    m_prompts->answerSaveFileName(QString()); // cancelled
    QTest::mouseClick(m_window->controls().PushButton12, Qt::LeftButton);
    QCOMPARE(fileBytes(path), QByteArray("new\r\n"));
    QCOMPARE(m_prompts->boxes().size(), 1);
}

void tst_Form1::failedSaveIsReported()
{
    start();
    fillRows({QStringLiteral("row")});
    m_prompts->answerSaveFileName(
        QDir(m_environment.programFolder()).filePath(QStringLiteral("no-such-folder/out.txt")));
    QTest::mouseClick(m_window->controls().PushButton6, Qt::LeftButton);

    const QStringList texts = m_prompts->messageTexts();
    QCOMPARE(texts.size(), 1);
    QCOMPARE(m_prompts->boxes().last().title, QStringLiteral("Application Error"));
    QVERIFY(texts.first().contains(QStringLiteral("Form1.PushButton6_Click")));
    QVERIFY(!m_window->isBusy());
}

void tst_Form1::clearListRefusedWhileBusy()
{
    start();
    fillRows({QStringLiteral("a"), QStringLiteral("b")}, {0});
    // The copy's notice box shows while the window is busy: "Clear List" does nothing then.
    qsizetype rowsDuringNotice = -1;
    m_prompts->onMessage = [&](const ScriptedPrompts::Box &) {
        QVERIFY(m_window->isBusy());
        m_window->controls().PushButton9->click();
        rowsDuringNotice = m_window->results().count();
    };
    QTest::mouseClick(m_window->controls().PushButton14, Qt::LeftButton);
    QCOMPARE(rowsDuringNotice, 2);

    m_prompts->onMessage = {};
    QTest::mouseClick(m_window->controls().PushButton9, Qt::LeftButton);
    QCOMPARE(m_window->results().count(), 0);
}

void tst_Form1::pointerFollowsControls()
{
    start();
    const Form1Controls &ui = m_window->controls();
    auto *pointer = m_window->findChild<WindowPointer *>();
    QVERIFY(pointer);
    const auto enter = [](QWidget *widget) {
        QEvent event(QEvent::Enter);
        QCoreApplication::sendEvent(widget, &event);
    };
    enter(ui.PushButton9);
    QCOMPARE(pointer->shape(), WindowPointer::Shape::Hand);
    enter(ui.Frame4);
    QCOMPARE(pointer->shape(), WindowPointer::Shape::Default);
    enter(ui.Check3);
    QCOMPARE(pointer->shape(), WindowPointer::Shape::Hand);
    enter(ui.Text7);
    QCOMPARE(pointer->shape(), WindowPointer::Shape::Default);

    // While busy only the start buttons show the hand; elsewhere the hourglass stays.
    fillRows({QStringLiteral("a")});
    QList<WindowPointer::Shape> shapes;
    m_prompts->onMessage = [&](const ScriptedPrompts::Box &) {
        shapes << pointer->shape();
        enter(ui.PushButton9);
        shapes << pointer->shape();
        enter(ui.PushButton13);
        shapes << pointer->shape();
        enter(ui.Frame1);
        shapes << pointer->shape();
    };
    QTest::mouseClick(ui.PushButton3, Qt::LeftButton);
    using Shape = WindowPointer::Shape;
    QCOMPARE(shapes, (QList<Shape> {Shape::Busy, Shape::Busy, Shape::Hand, Shape::Busy}));
    QCOMPARE(pointer->shape(), Shape::Default);
}

void tst_Form1::resultListTicks()
{
    start();
    fillRows(
        {QStringLiteral("r0"), QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r3")});
    ResultListView *list = m_window->controls().ListView1;
    ResultListModel &results = m_window->results();
    const auto ticks = [&] {
        QString marks;
        for (qsizetype row = 0; row < results.count(); ++row)
            marks += results.checked(row) ? QLatin1Char('x') : QLatin1Char('.');
        return marks;
    };
    QVERIFY(results.flags(results.index(0)) & Qt::ItemIsUserCheckable);

    QMenu menu;
    list->fillContextMenu(menu);
    QStringList captions;
    for (QAction *action : menu.actions())
        captions << action->text();
    QCOMPARE(captions,
             (QStringList {"Tick All", "Untick All", "Tick Selected", "Untick Selected"}));
    menu.actions().at(0)->trigger();
    QCOMPARE(ticks(), QStringLiteral("xxxx"));
    menu.actions().at(1)->trigger();
    QCOMPARE(ticks(), QStringLiteral("...."));

    list->setFocus();
    list->setCurrentIndex(results.index(1));
    list->selectionModel()->select(results.index(2), QItemSelectionModel::Select);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(ticks(), QStringLiteral(".xx."));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(ticks(), QStringLiteral("...."));

    QMenu second;
    list->fillContextMenu(second);
    second.actions().at(2)->trigger(); // Tick Selected
    QCOMPARE(ticks(), QStringLiteral(".xx."));
    second.actions().at(3)->trigger(); // Untick Selected
    QCOMPARE(ticks(), QStringLiteral("...."));
}

void tst_Form1::helpButtonsShowTheirBoxes()
{
    start();
    for (const char *name : {"PushButton15", "PushButton20", "PushButton21", "PushButton10",
                             "PushButton16", "PushButton18"}) {
        m_prompts->clear();
        QTest::mouseClick(m_window->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
        QVERIFY2(!m_prompts->boxes().isEmpty(), name);
        for (const ScriptedPrompts::Box &box : m_prompts->boxes())
            QCOMPARE(box.title, ApplicationTitle());
    }
}

void tst_Form1::accessibilityWalk()
{
    Form1 &window = start();
    window.show();
    QList<QWidget *> controls;
    for (QWidget *widget : window.findChildren<QWidget *>())
        if (qobject_cast<QLineEdit *>(widget) || qobject_cast<QAbstractItemView *>(widget)
            || qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractButton *>(widget)
            || qobject_cast<QProgressBar *>(widget))
            controls << widget;
    QVERIFY(controls.size() > 40);
    for (QWidget *control : controls) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
    }
    const Form1Controls &ui = window.controls();
    QCOMPARE(ui.lblLabels[0]->buddy(), ui.Text7);
    QCOMPARE(ui.lblLabels[1]->buddy(), ui.Text6);
    QCOMPARE(ui.Text1->accessibleName(), QStringLiteral("Text to contain"));
    QCOMPARE(ui.Text2->accessibleName(), QStringLiteral("Text not to contain"));
    QCOMPARE(ui.Text5->accessibleName(), QStringLiteral("Line numbers"));
    QCOMPARE(ui.ListView1->accessibleName(), QStringLiteral("Results"));
    QCOMPARE(ui.ProgressBar1->accessibleName(), QStringLiteral("Progress Bar"));
    // The two "Clear Filter" buttons and the "?" buttons say which filter they act on.
    QVERIFY(ui.PushButton22->accessibleName() != ui.PushButton23->accessibleName());
    QVERIFY(ui.PushButton20->accessibleName() != ui.PushButton21->accessibleName());
}

void tst_Form1::everyButtonReachableByTab()
{
    Form1 &window = start();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QList<QWidget *> visited;
    QWidget *first = window.controls().Text7;
    first->setFocus();
    QWidget *current = first;
    do {
        visited << current;
        QTest::keyClick(current, Qt::Key_Tab);
        current = QApplication::focusWidget();
    } while (current && current != first && visited.size() < 200);
    QCOMPARE(current, first);
    for (QPushButton *button : window.controls().pushButtons())
        QVERIFY2(visited.contains(button), qPrintable(button->objectName()));
    // Screen order: sign-in first, then the folder, the filters and the extraction buttons.
    const Form1Controls &ui = window.controls();
    QVERIFY(visited.indexOf(ui.PushButton17) < visited.indexOf(ui.PushButton19));
    QVERIFY(visited.indexOf(ui.PushButton19) < visited.indexOf(ui.PushButton13));
    QVERIFY(visited.indexOf(ui.PushButton13) < visited.indexOf(ui.ListView1));
    QVERIFY(visited.indexOf(ui.ListView1) < visited.indexOf(ui.PushButton9));
}

QTEST_MAIN(tst_Form1)
#include "tst_Form1.moc"
