// The main window against the Dovecot fixture: signing in and out, folder captions from the
// server, whole runs, stopping, clicks during a run, and closing the window mid-run.
#include "../store/CacheFolderScan.h"
#include "DailyDownloadCount.h"
#include "DovecotFixture.h"
#include "Form1.h"
#include "GeneralDate.h"
#include "GoogleStandIn.h"
#include "LocalCopyPanel.h"
#include "LocalMailCopy.h"
#include "MailMessage.h"
#include "OAuthClient.h"
#include "ResultListModel.h"
#include "ResultListView.h"
#include "RunFlags.h"
#include "ScriptedPrompts.h"
#include "SecretStore.h"
#include "ServerOverride.h"
#include "SettingsStore.h"
#include "SignInChoice.h"
#include "TestEnvironment.h"
#include "clsImapSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QString Done = QStringLiteral("Done.");
// The fixture's mail is far below a megabyte, which a run's count rounds up to.
const QString DownloadedText = QStringLiteral(", 1 MB downloaded");

QString settingsFileText()
{
    QFile file(SettingsFilePath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

MailMessage seedMessage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing seed file %s", qPrintable(path));
    return MailMessage::fromRfc822(file.readAll()).value();
}

// The system browser for http URLs, with a user who allows access.
class TestBrowser final : public QObject
{
    Q_OBJECT

public:
    explicit TestBrowser(GoogleStandIn &google) : m_google(google) { }
    int opened = 0;

public Q_SLOTS:
    void open(const QUrl &url)
    {
        ++opened;
        m_google.allowAccess(url);
    }

private:
    GoogleStandIn &m_google;
};

// Rows the command line wrote with --format jsonl: one JSON string a line.
QStringList JsonLineRows(const QByteArray &out)
{
    QStringList rows;
    for (const QByteArray &line : out.split('\n'))
        if (!line.isEmpty())
            rows << QJsonDocument::fromJson('[' + line + ']').array().at(0).toString();
    return rows;
}

// What the command line counted for the day in its settings under `configHome`.
qint64 CommandLineDailyBytes(const QString &configHome)
{
    QSettings settings(configHome + QStringLiteral("/Marlowix/Tessaline.conf"),
                       QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("DailyDownload"));
    const QStringList accounts = settings.childKeys();
    if (accounts.size() != 1)
        return -1;
    return settings.value(accounts.first()).toString().section(u' ', 1).toLongLong();
}

} // namespace

class tst_Form1Session : public QObject
{
    Q_OBJECT

private:
    Form1 &start();
    void typeSignIn(const QString &user, const QString &password);
    void connectWindow(const QString &user = {});
    // Runs `action` for each message the session hands to the window, after the window's own
    // handler has made its rows.
    void onListing(std::function<void(int number)> action);
    QStringList rows() const;
    QSet<int> listedNumbers;

    DovecotFixture m_fixture;
    TestEnvironment m_environment;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Form1> m_window;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void connectShowsServerFoldersAndStoredFilters();
    void wrongPassword();
    void signInWithGoogleAndRun();
    void autoConnectWithRememberedSignIn();
    void disconnect_data();
    void disconnect();
    void extractAllEmailDataOfTheInbox();
    void folderNameRule_data();
    void folderNameRule();
    void systemFolderButtonsOnOtherTrees_data();
    void systemFolderButtonsOnOtherTrees();
    void stopMidRun();
    void secondStartButtonDuringRun();
    void clearListDuringRun();
    void keyboardOnly();
    void closingMidRunEndsQuietly();
    void gmailSearchNarrowsTheRun();
    void localCopyOnlyWhileTickedServesTheCommandLine();
    void dailyLimitAskedBeforeTheRun_data();
    void dailyLimitAskedBeforeTheRun();
};

Form1 &tst_Form1Session::start()
{
    m_window = std::make_unique<Form1>();
    m_window->setServerOverride(ServerOverride::fromEnvironment());
    m_window->Form_Load();
    return *m_window;
}

void tst_Form1Session::typeSignIn(const QString &user, const QString &password)
{
    m_window->controls().Text7->setText(user);
    m_window->controls().Text6->setText(password);
}

void tst_Form1Session::connectWindow(const QString &user)
{
    typeSignIn(user.isEmpty() ? m_fixture.user() : user, m_fixture.password());
    QTest::mouseClick(m_window->controls().PushButton17, Qt::LeftButton);
    QCOMPARE(m_window->statusText(), QStringLiteral("Connected to Gmail."));
    QVERIFY(m_window->oSession);
}

void tst_Form1Session::onListing(std::function<void(int number)> action)
{
    connect(m_window->oSession.get(), &clsImapSession::MailExtractListing, this,
            [this, action](MailListing &listing) {
                listedNumbers.insert(listing.uID);
                action(listing.uID);
            });
}

QStringList tst_Form1Session::rows() const
{
    return m_window->results().texts();
}

void tst_Form1Session::initTestCase()
{
    qputenv("TESSALINE_PING_COMMAND", "echo 64 bytes from 127.0.0.1");
    m_fixture.exportToEnvironment();
}

void tst_Form1Session::init()
{
    m_environment.resetSettings();
    m_prompts = std::make_unique<ScriptedPrompts>();
    suppressDoneNotice = false;
    listedNumbers.clear();
}

void tst_Form1Session::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    Prompts::setMuted(false);
}

void tst_Form1Session::connectShowsServerFoldersAndStoredFilters()
{
    SaveSetting(QStringLiteral("LabelFilter"), QStringLiteral("Work"));
    SaveSetting(QStringLiteral("CharactersFilter"), QStringLiteral("pounds"));
    m_prompts->expectNoBoxes();
    start();
    connectWindow();
    const Form1Controls &ui = m_window->controls();

    QCOMPARE(ui.PushButton17->text(), QStringLiteral("Disconnect"));
    QStringList captions;
    for (int number = 4; number <= 10; ++number)
        captions << ui.option(number)->text();
    // Each button bound to its folder's flag, whatever order the server lists them in.
    QCOMPARE(
        captions,
        (QStringList {"All Mail", "Drafts", "Sent Mail", "Spam", "Starred", "Trash", "Important"}));
    QCOMPARE(ui.Label4->text(), QStringLiteral("Label Filter: Work"));
    QCOMPARE(ui.Label3->text(), QStringLiteral("Character Filter: pounds"));
    QCOMPARE(m_window->LabelFilter, QStringLiteral("Work"));
    QVERIFY(!m_window->isBusy());
}

void tst_Form1Session::wrongPassword()
{
    start();
    m_window->results().append(QStringLiteral("old row"));
    m_window->controls().option(5)->setText(QStringLiteral("left from before"));
    typeSignIn(m_fixture.user(), QStringLiteral("wrong"));
    m_prompts->answerMessage(Prompts::Answer::No);
    QTest::mouseClick(m_window->controls().PushButton17, Qt::LeftButton);

    const QStringList texts = m_prompts->messageTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY(texts.first().startsWith(QStringLiteral("Invalid login. Gmail said: ")));
    QCOMPARE(m_prompts->boxes().first().buttons, Prompts::Buttons::YesNo);
    const Form1Controls &ui = m_window->controls();
    QCOMPARE(m_window->results().count(), 0);
    QCOMPARE(ui.option(5)->text(), QStringLiteral("Drafts"));
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("1. Connect"));
    QCOMPARE(m_window->statusText(), QStringLiteral("Disconnected from Gmail."));
    QCOMPARE(ui.Text6->text(), QStringLiteral("wrong")); // the boxes keep what was typed
    QVERIFY(!m_window->oSession);
    QVERIFY(!m_window->isBusy());
}

// The browser sign-in through the provider's stand-in, then XOAUTH2 on the real server.
void tst_Form1Session::signInWithGoogleAndRun()
{
    GoogleStandIn google;
    QVERIFY(google.listen());
    google.exportEnvironment();
    OAuthClient::saveToSettings(QString::fromLatin1(GoogleStandIn::clientId),
                                QString::fromLatin1(GoogleStandIn::clientSecret));
    TestBrowser browser(google);
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
    const auto restore = qScopeGuard([] {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        qunsetenv("TESSALINE_OAUTH_AUTH_URL");
        qunsetenv("TESSALINE_OAUTH_TOKEN_URL");
    });
    const QString key = SecretStore::refreshTokenKey(m_fixture.user());
    SecretStore().remove(key);
    m_prompts->expectNoBoxes();
    const Form1Controls &ui = start().controls();
    QTest::mouseClick(ui.signInChoice->googleButton(), Qt::LeftButton);
    typeSignIn(m_fixture.user(), QString());

    QTest::mouseClick(ui.PushButton17, Qt::LeftButton);
    QCOMPARE(m_window->statusText(), QStringLiteral("Connected to Gmail."));
    QCOMPARE(browser.opened, 1);
    QCOMPARE(google.codeExchanges(), 1);
    m_prompts->expectNoBoxes(false);
    QTest::mouseClick(ui.PushButton13, Qt::LeftButton);
    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QCOMPARE(rows().first(), QStringLiteral("Alice Archer <alice@example.test>"));

    QVERIFY(SecretStore().read(key).value_or(QString()).startsWith(QStringLiteral("1//")));
    QVERIFY(!settingsFileText().contains(QStringLiteral("1//")));
    SecretStore().remove(key);
}

// As an earlier version left it: the password in the settings file, moved at start.
void tst_Form1Session::autoConnectWithRememberedSignIn()
{
    SaveSetting(QStringLiteral("StayConnected"), QStringLiteral("1"));
    SaveSetting(QStringLiteral("AutoConnect"), QStringLiteral("1"));
    SaveSetting(QStringLiteral("User"), m_fixture.user());
    SaveSetting(QStringLiteral("Password"), m_fixture.password());
    m_prompts->expectNoBoxes();
    const Form1Controls &ui = start().controls();
    QVERIFY(ui.Check2->isChecked());
    QVERIFY(ui.Check2->isEnabled());
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("Disconnect"));
    QCOMPARE(m_window->statusText(), QStringLiteral("Connected to Gmail."));
    QVERIFY(!settingsFileText().contains(QStringLiteral("Password")));
    const QString key = SecretStore::appPasswordKey(m_fixture.user());
    QCOMPARE(SecretStore().read(key), m_fixture.password());
    SecretStore().remove(key);
}

void tst_Form1Session::disconnect_data()
{
    QTest::addColumn<bool>("remembered");
    QTest::newRow("remember me ticked") << true;
    QTest::newRow("remember me clear") << false;
}

void tst_Form1Session::disconnect()
{
    QFETCH(bool, remembered);
    start();
    if (remembered)
        QTest::mouseClick(m_window->controls().Check1, Qt::LeftButton);
    connectWindow();
    m_window->results().append(QStringLiteral("row"));
    QTest::mouseClick(m_window->controls().PushButton17, Qt::LeftButton);

    const Form1Controls &ui = m_window->controls();
    const QString expectedUser = remembered ? m_fixture.user() : QString();
    QCOMPARE(ui.Text7->text(), expectedUser);
    QCOMPARE(GetSetting(QStringLiteral("User")), expectedUser);
    const QString key = SecretStore::appPasswordKey(m_fixture.user());
    QCOMPARE(SecretStore().read(key),
             remembered ? std::optional(m_fixture.password()) : std::nullopt);
    QVERIFY(!settingsFileText().contains(m_fixture.password()));
    SecretStore().remove(key);
    QCOMPARE(ui.Check1->isChecked(), remembered);
    QCOMPARE(m_window->results().count(), 0);
    QCOMPARE(ui.option(4)->text(), QStringLiteral("All Mail"));
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("1. Connect"));
    QCOMPARE(ui.Label4->text(), QStringLiteral("No Label Filter set"));
    QCOMPARE(m_window->statusText(), QStringLiteral("Disconnected from Gmail."));
    QVERIFY(!m_window->oSession);
}

void tst_Form1Session::extractAllEmailDataOfTheInbox()
{
    start();
    connectWindow();
    QStringList progress;
    onListing([&](int) { progress << m_window->statusText(); });
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    const QStringList seeds = m_fixture.seedFiles(QStringLiteral("INBOX"));
    QCOMPARE(listedNumbers.size(), seeds.size());
    // Every message's rows in retrieval order: sender, date, subject, whole body, body lines.
    QStringList expected;
    for (const QString &seed : seeds) {
        const MailMessage message = seedMessage(seed);
        for (const QString &header : {message.from, GeneralDateText(message.date), message.subject})
            if (!header.isEmpty())
                expected << header;
        expected << message.plainTextBody;
        if (!message.plainTextBody.isEmpty())
            expected << message.plainTextBody.split(QStringLiteral("\r\n"));
    }
    QCOMPARE(rows(), expected);
    // Spot checks that do not depend on the parser.
    QCOMPARE(rows().first(), QStringLiteral("Alice Archer <alice@example.test>"));
    QVERIFY(rows().contains(QStringLiteral("Revenue for the quarter was 1200 pounds.")));
    QVERIFY(rows().contains(QStringLiteral("Order #12345 shipped")));

    QCOMPARE(progress.first(),
             QStringLiteral("Reading mail 1 of %1").arg(seeds.size()) + DownloadedText);
    QCOMPARE(m_window->statusText(), QStringLiteral("Progress Bar"));
    QCOMPARE(m_window->controls().PushButton13->text(), QStringLiteral("Extract All Email Data"));
    QVERIFY(!m_window->onExtractEmail);
    QVERIFY(!m_window->oSession); // every run ends by dropping the session
    QVERIFY(!m_window->isBusy());
    QCOMPARE(m_window->controls().PushButton17->text(), QStringLiteral("Disconnect"));
}

void tst_Form1Session::folderNameRule_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("labelFilter");
    QTest::addColumn<QString>("mailbox"); // whose seeded messages the run must read
    QTest::newRow("Inbox") << 3 << ""
                           << "INBOX";
    QTest::newRow("a system folder by its button") << 6 << ""
                                                   << "[Gmail]/Sent Mail";
    QTest::newRow("a stored label filter naming a system folder") << 3 << "[Gmail]/All Mail"
                                                                  << "[Gmail]/All Mail";
    QTest::newRow("a label filter wins over the folder") << 4 << "Work"
                                                         << "Work";
    QTest::newRow("a non-ASCII label") << 3 << "Événements"
                                       << "Événements";
}

void tst_Form1Session::folderNameRule()
{
    QFETCH(int, option);
    QFETCH(QString, labelFilter);
    QFETCH(QString, mailbox);
    start();
    connectWindow();
    const Form1Controls &ui = m_window->controls();
    ui.option(option)->setChecked(true);
    m_window->LabelFilter = labelFilter;
    onListing([](int) {});
    QTest::mouseClick(ui.PushButton13, Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    const QStringList seeds = m_fixture.seedFiles(mailbox);
    QCOMPARE(listedNumbers.size(), seeds.size());
    QVERIFY(rows().contains(seedMessage(seeds.first()).subject));
}

void tst_Form1Session::systemFolderButtonsOnOtherTrees_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption"); // after connecting
    QTest::addColumn<QString>("mailbox"); // whose seeded messages the run must read

    QTest::newRow("[Google Mail]: Trash is Bin") << "googlemail" << 9 << "Bin"
                                                 << "[Gmail]/Trash";
    QTest::newRow("French: Sent Mail") << "french" << 6 << "Messages envoyés"
                                       << "[Gmail]/Sent Mail";
    QTest::newRow("Sent Mail hidden: All Mail") << "hidden" << 4 << "All Mail"
                                                << "[Gmail]/All Mail";
}

// The button reads the server's own name and opens its folder; a hidden folder's button says why
// it cannot be chosen.
void tst_Form1Session::systemFolderButtonsOnOtherTrees()
{
    QFETCH(QString, tree);
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(QString, mailbox);
    start();
    connectWindow(m_fixture.treeUser(tree));
    const Form1Controls &ui = m_window->controls();
    QCOMPARE(ui.option(option)->text(), caption);
    const bool sentHidden = tree == QStringLiteral("hidden");
    QCOMPARE(ui.option(6)->isEnabled(), !sentHidden);
    QCOMPARE(ui.option(6)->toolTip().contains(QStringLiteral("\"Show in IMAP\"")), sentHidden);
    QCOMPARE(ui.option(6)->accessibleDescription(), ui.option(6)->toolTip());

    ui.option(option)->setChecked(true);
    onListing([](int) {});
    QTest::mouseClick(ui.PushButton13, Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    const QStringList seeds = m_fixture.seedFiles(mailbox);
    QCOMPARE(listedNumbers.size(), seeds.size());
    QVERIFY(rows().contains(seedMessage(seeds.first()).subject));

    if (sentHidden) {
        // A stored choice of the hidden folder: a run (on a new session, which lists first)
        // says why instead of failing with the sign-in message.
        ui.option(6)->setChecked(true);
        QTest::mouseClick(ui.PushButton13, Qt::LeftButton);
        QCOMPARE(m_prompts->messageTexts(), (QStringList {Done, SystemFolders::HiddenFolderText}));
    }

    // Disconnected, every button is the window's own again.
    QTest::mouseClick(ui.PushButton17, Qt::LeftButton);
    QVERIFY(ui.option(6)->isEnabled());
    QCOMPARE(ui.option(6)->toolTip(), QString());
}

void tst_Form1Session::stopMidRun()
{
    start();
    connectWindow();
    QPushButton *button = m_window->controls().PushButton13;
    QString captionAfterStop;
    onListing([&](int number) {
        if (number == 3) {
            button->click();
            captionAfterStop = button->text();
        }
    });
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(captionAfterStop, QStringLiteral("Extract All Email Data"));
    QCOMPARE(listedNumbers, (QSet<int> {1, 2, 3})); // rows stop at the next fetched message
    QCOMPARE(rows().last(),
             seedMessage(m_fixture.seedFiles(QStringLiteral("INBOX")).at(2))
                 .plainTextBody.split(QStringLiteral("\r\n"))
                 .last());
    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QVERIFY(m_window->isStopped);
    QVERIFY(!m_window->onExtractEmail);
    QCOMPARE(button->text(), QStringLiteral("Extract All Email Data"));
}

void tst_Form1Session::secondStartButtonDuringRun()
{
    start();
    connectWindow();
    QPushButton *other = m_window->controls().PushButton2;
    QString otherCaption;
    onListing([&](int number) {
        if (number == 2) {
            other->click();
            otherCaption = other->text();
        }
    });
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);

    QCOMPARE(otherCaption, QStringLiteral("Extract All Lines Containing This Text:"));
    QVERIFY(m_window->mExtractAllEmailData);
    QVERIFY(!m_window->mExtractAllEmailDataContaining);
    QCOMPARE(listedNumbers.size(), m_fixture.seedFiles(QStringLiteral("INBOX")).size());
    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
}

void tst_Form1Session::clearListDuringRun()
{
    start();
    connectWindow();
    qsizetype before = 0;
    qsizetype after = 0;
    onListing([&](int number) {
        if (number == 4) {
            QVERIFY(m_window->isBusy());
            before = m_window->results().count();
            m_window->controls().PushButton9->click();
            after = m_window->results().count();
        }
    });
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);
    QVERIFY(before > 0);
    QCOMPARE(after, before);
    QCOMPARE(listedNumbers.size(), m_fixture.seedFiles(QStringLiteral("INBOX")).size());
}

void tst_Form1Session::keyboardOnly()
{
    start();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    const Form1Controls &ui = m_window->controls();
    const auto tabTo = [](QWidget *target) {
        for (int presses = 0; presses < 80 && QApplication::focusWidget() != target; ++presses)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget() == target;
    };

    ui.Text7->setFocus();
    QTest::keyClicks(ui.Text7, m_fixture.user());
    QTest::keyClick(ui.Text7, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.Text6);
    QTest::keyClicks(ui.Text6, m_fixture.password());
    QVERIFY(tabTo(ui.PushButton17));
    QTest::keyClick(ui.PushButton17, Qt::Key_Space);
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("Disconnect"));

    onListing([&](int number) {
        if (number == 2)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    QVERIFY(tabTo(ui.PushButton13));
    QTest::keyClick(ui.PushButton13, Qt::Key_Space);
    QCOMPARE(listedNumbers, (QSet<int> {1, 2}));
    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});

    QVERIFY(tabTo(ui.ListView1));
    QTest::keyClick(ui.ListView1, Qt::Key_Down);
    QTest::keyClick(ui.ListView1, Qt::Key_Space);
    const qsizetype current = ui.ListView1->currentIndex().row();
    QVERIFY(current >= 0);
    QVERIFY(m_window->results().checked(current));
}

void tst_Form1Session::closingMidRunEndsQuietly()
{
    start();
    connectWindow();
    qsizetype boxesAtClose = -1;
    onListing([&](int number) {
        if (number == 2) {
            boxesAtClose = m_prompts->boxes().size();
            m_window->close();
        }
    });
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);

    QCOMPARE(m_prompts->boxes().size(), boxesAtClose); // no "Done." or any other box
    QCOMPARE(listedNumbers, (QSet<int> {1, 2}));
    QVERIFY(!m_window->onExtractEmail);
    QVERIFY(m_window->endRequested());
}

void tst_Form1Session::gmailSearchNarrowsTheRun()
{
    start();
    connectWindow();
    const Form1Controls &ui = m_window->controls();
    QCOMPARE(ui.gmailSearch->accessibleName(), QStringLiteral("Gmail search"));
    QVERIFY(ui.gmailSearch->focusPolicy() & Qt::TabFocus);
    QTest::keyClicks(ui.gmailSearch, QStringLiteral("from:shop"));
    QStringList progress;
    onListing([&](int) { progress << m_window->statusText(); });
    QTest::mouseClick(ui.PushButton13, Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QCOMPARE(progress,
             (QStringList {QStringLiteral("Reading mail 1 of 2") + DownloadedText,
                           QStringLiteral("Reading mail 2 of 2") + DownloadedText}));
    QVERIFY(rows().contains(QStringLiteral("Order #12345 shipped")));
    QVERIFY(!rows().contains(QStringLiteral("Quarterly figures")));

    ui.gmailSearch->setText(QStringLiteral("before:2000/01/01"));
    QTest::mouseClick(ui.PushButton13, Qt::LeftButton);
    QCOMPARE(m_prompts->messageTexts().constLast(),
             QStringLiteral("There are no emails in the Folder you selected."));

    // A search with no translation on this server is refused by name, and nothing else said.
    ui.gmailSearch->setText(QStringLiteral("has:attachment"));
    const qsizetype told = m_prompts->messageTexts().size();
    QTest::mouseClick(ui.PushButton13, Qt::LeftButton);
    QCOMPARE(m_prompts->messageTexts().size(), told + 1);
    QVERIFY2(m_prompts->messageTexts().constLast().contains(u"\"has:attachment\""),
             qPrintable(m_prompts->messageTexts().constLast()));

    // Kept for the next start, like the folder.
    start();
    QCOMPARE(m_window->controls().gmailSearch->text(), QStringLiteral("has:attachment"));
}

// Unticked, a run leaves nothing under the cache location; ticked, it keeps the copy, and the
// command line's next run (another process) reads the same rows from it instead of the server.
void tst_Form1Session::localCopyOnlyWhileTickedServesTheCommandLine()
{
    QTemporaryDir cacheHome;
    QTemporaryDir cliConfig;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    // The cache location the command line uses too.
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(QStringLiteral("Marlowix"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaline"));
    const auto restore = qScopeGuard([&] {
        QCoreApplication::setOrganizationName(organization);
        QCoreApplication::setApplicationName(application);
        qunsetenv("XDG_CACHE_HOME");
    });
    start();
    connectWindow();
    QVERIFY(!m_window->controls().localCopy->keepBox()->isChecked());
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);
    const QStringList windowRows = rows();
    QVERIFY(!windowRows.isEmpty());
    QCOMPARE(FilesUnderCacheLocation(), QStringList());

    // A new window: what the first one holds in memory is never written to the copy.
    start();
    QTest::mouseClick(m_window->controls().localCopy->keepBox(), Qt::LeftButton);
    connectWindow();
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);
    QCOMPARE(m_prompts->messageTexts(), (QStringList {Done, Done}));
    QCOMPARE(rows(), windowRows);
    QVERIFY(LocalMailCopy::isKept(m_fixture.user()));

    const auto commandLine = [&](const QStringList &more) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TESSALINE_PASSWORD"), m_fixture.password());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), cliConfig.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSALINE_CLI_PATH),
                      QStringList {QStringLiteral("--user"), m_fixture.user(),
                                   QStringLiteral("--format"), QStringLiteral("jsonl")}
                          + more);
        if (!process.waitForFinished(120'000) || process.exitCode() != 0)
            qWarning("%s", process.readAllStandardError().constData());
        return JsonLineRows(process.readAllStandardOutput());
    };
    QCOMPARE(commandLine({QStringLiteral("--cache")}), windowRows);
    const qint64 fromCopy = CommandLineDailyBytes(cliConfig.path());
    QCOMPARE(commandLine({}), windowRows);
    const qint64 fromServer = CommandLineDailyBytes(cliConfig.path()) - fromCopy;
    qInfo("bytes with the copy %lld, without %lld", fromCopy, fromServer);
    QVERIFY(fromCopy > 0);
    QVERIFY(fromCopy * 2 < fromServer);
}

void tst_Form1Session::dailyLimitAskedBeforeTheRun_data()
{
    QTest::addColumn<bool>("startAnyway");
    QTest::newRow("No: no run") << false;
    QTest::newRow("Yes: the run") << true;
}

// Near the day's limit the window asks, naming both numbers, before it reads anything; the
// bytes the run did download are counted whatever the answer.
void tst_Form1Session::dailyLimitAskedBeforeTheRun()
{
    QFETCH(bool, startAnyway);
    start();
    connectWindow();
    const qint64 counted = DailyDownloadLimitBytes - 100;
    DailyDownloadCount().add(m_fixture.user(), counted);
    m_prompts->answerMessage(startAnyway ? Prompts::Answer::Yes : Prompts::Answer::No);
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);

    const QStringList texts = m_prompts->messageTexts();
    QVERIFY(!texts.isEmpty());
    QVERIFY2(texts.first().startsWith(QStringLiteral("This run would download about 1 MB, and "
                                                     "2,000 MB were downloaded")),
             qPrintable(texts.first()));
    QVERIFY(texts.first().endsWith(QStringLiteral("Start the run anyway?")));
    QCOMPARE(m_prompts->boxes().first().buttons, Prompts::Buttons::YesNo);
    QCOMPARE(texts.size(), startAnyway ? 2 : 1); // "Done." only after a run
    QCOMPARE(rows().isEmpty(), !startAnyway);
    QVERIFY(DailyDownloadCount().today(m_fixture.user()) > counted);
    QVERIFY(!m_window->onExtractEmail);
    QCOMPARE(m_window->controls().PushButton13->text(), QStringLiteral("Extract All Email Data"));
}

QTEST_MAIN(tst_Form1Session)
#include "tst_Form1Session.moc"
