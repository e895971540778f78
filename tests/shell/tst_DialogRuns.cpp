// Runs started from the option dialogs against the Dovecot fixture, as a user makes them: the main
// window connects and opens the dialog, the dialog's values are typed in and its own start button
// runs over the seeded inbox. Stopping from the dialog, hiding it mid-run and a filter dialog
// closed mid-run.
#include "DovecotFixture.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "ResultListModel.h"
#include "RunFlags.h"
#include "ScriptedPrompts.h"
#include "ServerOverride.h"
#include "TestEnvironment.h"
#include "clsImapSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QString Done = QStringLiteral("Done.");
const QString StartCaption = QStringLiteral("Start Extracting");

template<typename Control> Control *control(QWidget *window, const char *name)
{
    auto *found = window->findChild<Control *>(QLatin1String(name));
    if (!found)
        qFatal("%s has no control %s", qPrintable(window->objectName()), name);
    return found;
}

QPushButton *startButton(QWidget *dialog)
{
    return control<QPushButton>(dialog, "PushButton4");
}

// Types `text` into a marker box the way a user replaces its content.
void typeInto(QPlainTextEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

void setTicked(QCheckBox *box, bool ticked)
{
    if (box->isChecked() != ticked)
        box->click(); // the middle of a wide box may lie beyond its caption
    QCOMPARE(box->isChecked(), ticked);
}

} // namespace

class tst_DialogRuns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void extractBetweenFromTheDialog_data();
    void extractBetweenFromTheDialog();
    void textSetFromTheDialog_data();
    void textSetFromTheDialog();
    void stopFromTheDialogMidRun_data();
    void stopFromTheDialogMidRun();
    void hiddenDialogKeepsItsRun();
    void filterDialogClosedMidRunSuppressesDone_data();
    void filterDialogClosedMidRunSuppressesDone();

private:
    void connectWindow();
    Form2 &openForm2(const QString &start, const QString &end);
    Form3 &openForm3WithEntries(const QStringList &entries);
    // Runs `action` for each message the session hands to the window, after its rows are made.
    void onListing(std::function<void(int number)> action);
    QStringList rows() const { return m_window->results().texts(); }

    DovecotFixture m_fixture;
    TestEnvironment m_environment;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Form1> m_window;
    QList<int> m_listed;
};

void tst_DialogRuns::initTestCase()
{
    m_fixture.exportToEnvironment();
}

void tst_DialogRuns::init()
{
    m_environment.resetSettings();
    m_prompts = std::make_unique<ScriptedPrompts>();
    suppressDoneNotice = false;
    m_listed.clear();
    m_window = std::make_unique<Form1>();
    m_window->setServerOverride(ServerOverride::fromEnvironment());
    m_window->Form_Load();
    m_window->show();
    connectWindow();
}

void tst_DialogRuns::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    Prompts::setMuted(false);
}

void tst_DialogRuns::connectWindow()
{
    const Form1Controls &ui = m_window->controls();
    ui.Text7->setText(m_fixture.user());
    ui.Text6->setText(m_fixture.password());
    QTest::mouseClick(ui.PushButton17, Qt::LeftButton);
    QCOMPARE(ui.PushButton17->text(), QStringLiteral("Disconnect"));
}

Form2 &tst_DialogRuns::openForm2(const QString &start, const QString &end)
{
    QTest::mouseClick(m_window->controls().PushButton4, Qt::LeftButton);
    Form2 &form = m_window->form2();
    if (!form.isVisible())
        qFatal("the extract-between dialog did not open");
    typeInto(control<QPlainTextEdit>(&form, "Text1"), start);
    typeInto(control<QPlainTextEdit>(&form, "Text2"), end);
    return form;
}

Form3 &tst_DialogRuns::openForm3WithEntries(const QStringList &entries)
{
    QTest::mouseClick(m_window->controls().PushButton11, Qt::LeftButton);
    Form3 &form = m_window->form3();
    if (!form.isVisible())
        qFatal("the text-set dialog did not open");
    for (const QString &entry : entries) {
        m_prompts->answerInput(entry);
        QTest::mouseClick(control<QPushButton>(&form, "PushButton2"), Qt::LeftButton);
    }
    return form;
}

void tst_DialogRuns::onListing(std::function<void(int number)> action)
{
    // The first run of a connected window uses the session the connect button made.
    connect(m_window->oSession.get(), &clsImapSession::MailExtractListing, this,
            [this, action](MailListing &listing) {
                m_listed << listing.uID;
                action(listing.uID);
            });
}

void tst_DialogRuns::extractBetweenFromTheDialog_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("includeStart");
    QTest::addColumn<bool>("includeEnd");
    QTest::addColumn<bool>("showDuplicates");
    QTest::addColumn<QStringList>("expected");
    // Markers only inbox message 9 holds: "The rain in spain falls mainly on the plain.",
    // "Tracking: [TRK-001] and [TRK-002]", its subject and first line "Order #12345 shipped",
    // its second line "Order #12346 pending".
    QTest::newRow("markers left out")
        << "rain in "
        << " falls" << false << false << false << QStringList {"spain"};
    QTest::newRow("markers kept as typed, found in any letter case")
        << "RAIN IN "
        << " FALLS" << true << true << false << QStringList {"RAIN IN spain FALLS"};
    QTest::newRow("repeatedly, end marker kept")
        << "[trk-"
        << "]" << false << true << false << QStringList {"001]", "002]"};
    QTest::newRow("duplicates hidden")
        << "#"
        << " " << false << false << false << QStringList {"12345", "12346"};
    QTest::newRow("duplicates shown")
        << "#"
        << " " << false << false << true << QStringList {"12345", "12345", "12346"};
}

void tst_DialogRuns::extractBetweenFromTheDialog()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, includeStart);
    QFETCH(bool, includeEnd);
    QFETCH(bool, showDuplicates);
    QFETCH(QStringList, expected);
    setTicked(m_window->controls().Check3, showDuplicates);
    Form2 &form = openForm2(start, end);
    setTicked(control<QCheckBox>(&form, "Check1"), includeStart);
    setTicked(control<QCheckBox>(&form, "Check2"), includeEnd);
    m_window->results().append(QStringLiteral("row of an earlier run"));

    QTest::mouseClick(startButton(&form), Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QCOMPARE(rows(), expected);
    QVERIFY(m_window->mExtractAllEmailDataStartsWith);
    QCOMPARE(startButton(&form)->text(), StartCaption);
    QVERIFY(!m_window->onExtractEmail);
    QVERIFY(!m_window->isBusy());
    QVERIFY(form.isVisible());
}

void tst_DialogRuns::textSetFromTheDialog_data()
{
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QStringList>("expected");
    const QStringList orders {"Order #12345 shipped", "Order #12345 shipped",
                              "Order #12346 pending"};
    QTest::newRow("first entry: subject and body lines") << 0 << orders;
    QTest::newRow("entry in capitals")
        << 1
        << QStringList {"Revenue for the quarter was 1200 pounds.", "Costs came to 800 pounds."};
}

void tst_DialogRuns::textSetFromTheDialog()
{
    QFETCH(int, chosen);
    QFETCH(QStringList, expected);
    Form3 &form = openForm3WithEntries({QStringLiteral("order #"), QStringLiteral("POUNDS")});
    auto *list = control<QComboBox>(&form, "Combo1");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentIndex(), -1); // adding selects nothing
    list->setCurrentIndex(chosen);

    QTest::mouseClick(startButton(&form), Qt::LeftButton);

    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QCOMPARE(rows(), expected);
    QVERIFY(m_window->mExtractAllEmailDataContaininglist);
    QCOMPARE(startButton(&form)->text(), StartCaption);
    QVERIFY(!m_window->onExtractEmail);
}

void tst_DialogRuns::stopFromTheDialogMidRun_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("extract between, Stop clicked") << "Form2" << false;
    QTest::newRow("extract between, Esc") << "Form2" << true;
    QTest::newRow("text set, Stop clicked") << "Form3" << false;
    QTest::newRow("text set, Esc") << "Form3" << true;
}

void tst_DialogRuns::stopFromTheDialogMidRun()
{
    QFETCH(QString, dialog);
    QFETCH(bool, byEscape);
    QWidget *form = dialog == QLatin1String("Form2")
        ? static_cast<QWidget *>(&openForm2(QStringLiteral("a"), QStringLiteral("e")))
        : &openForm3WithEntries({QStringLiteral("e")});
    if (auto *list = form->findChild<QComboBox *>(QStringLiteral("Combo1")))
        list->setCurrentIndex(0);
    QPushButton *button = startButton(form);
    QString captionDuringRun;
    QString captionAfterStop;
    onListing([&](int number) {
        if (number != 3)
            return;
        captionDuringRun = button->text();
        if (byEscape)
            QTest::keyClick(button, Qt::Key_Escape);
        else
            QTest::mouseClick(button, Qt::LeftButton);
        captionAfterStop = button->text();
    });

    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(captionDuringRun, QStringLiteral("Stop"));
    QCOMPARE(captionAfterStop, StartCaption);
    QCOMPARE(m_listed, (QList<int> {1, 2, 3})); // the loop ends at its next fetched message
    QVERIFY(!rows().isEmpty());
    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QVERIFY(m_window->isStopped);
    QVERIFY(!m_window->onExtractEmail);
    QCOMPARE(button->text(), StartCaption);
    QVERIFY(form->isVisible()); // Esc stopped the run, it did not close the dialog
}

void tst_DialogRuns::hiddenDialogKeepsItsRun()
{
    Form2 &form = openForm2(QStringLiteral("#"), QStringLiteral(" "));
    QPushButton *button = startButton(&form);
    bool hiddenAtTwo = false;
    QString captionOnReopening;
    onListing([&](int number) {
        if (number == 2) {
            QTest::mouseClick(control<QPushButton>(&form, "PushButton1"), Qt::LeftButton);
            hiddenAtTwo = !form.isVisible();
        } else if (number == 4) {
            QTest::mouseClick(m_window->controls().PushButton4, Qt::LeftButton);
            captionOnReopening = button->text();
        }
    });

    QTest::mouseClick(button, Qt::LeftButton);

    QVERIFY(hiddenAtTwo);
    QCOMPARE(captionOnReopening, QStringLiteral("Stop"));
    QCOMPARE(m_listed.size(), m_fixture.seedFiles(QStringLiteral("INBOX")).size());
    QCOMPARE(rows(), (QStringList {"#12345 ", "#12346 "}));
    QCOMPARE(m_prompts->messageTexts(), QStringList {Done});
    QCOMPARE(button->text(), StartCaption);
    QVERIFY(form.isVisible());
}

void tst_DialogRuns::filterDialogClosedMidRunSuppressesDone_data()
{
    QTest::addColumn<QString>("filterButton");
    QTest::addColumn<QString>("closeButton");
    QTest::newRow("label filter, Cancel") << "PushButton5"
                                          << "PushButton3";
    QTest::newRow("label filter, OK") << "PushButton5"
                                      << "PushButton1";
    QTest::newRow("character filter, Cancel") << "PushButton19"
                                              << "PushButton2";
}

void tst_DialogRuns::filterDialogClosedMidRunSuppressesDone()
{
    QFETCH(QString, filterButton);
    QFETCH(QString, closeButton);
    Form2 &form = openForm2(QStringLiteral("[trk-"), QStringLiteral("]"));
    auto *openFilter = m_window->findChild<QPushButton *>(filterButton);
    QVERIFY(openFilter);
    QString modalTitle;
    onListing([&](int number) {
        if (number != 2)
            return;
        // The filter dialog is modal: close it from inside its own event loop.
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            modalTitle = modal->windowTitle();
            QTest::mouseClick(control<QPushButton>(modal, qPrintable(closeButton)), Qt::LeftButton);
        });
        QTest::mouseClick(openFilter, Qt::LeftButton);
    });

    QTest::mouseClick(startButton(&form), Qt::LeftButton);

    QVERIFY(!modalTitle.isEmpty());
    QCOMPARE(m_listed.size(), m_fixture.seedFiles(QStringLiteral("INBOX")).size());
    // The run went on to its end; the include boxes are ticked when nothing is stored.
    QCOMPARE(rows(), (QStringList {"[trk-001]", "[trk-002]"}));
    QCOMPARE(m_prompts->messageTexts(), QStringList()); // but ends without "Done."
    QCOMPARE(startButton(&form)->text(), StartCaption);
    QVERIFY(!m_window->onExtractEmail);
}

QTEST_MAIN(tst_DialogRuns)
#include "tst_DialogRuns.moc"
