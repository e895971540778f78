#include "FakeMainWindowLink.h"
#include "Form2.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>

class tst_Form2 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstOpeningWithEmptyStore();
    void editsSurviveRestart();
    void storedCheckValues_data();
    void storedCheckValues();
    void startStopAndEscape();
    void closingOnlyHides();

private:
    static QString stored(const char *key) { return GetSetting(QLatin1String(key), "<absent>"); }

    std::unique_ptr<TestEnvironment> m_environment;
    FakeMainWindowLink m_link;
};

void tst_Form2::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    m_link.clicks.clear();
}

void tst_Form2::firstOpeningWithEmptyStore()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    Form2 form(m_link);
    QCOMPARE(form.windowTitle(), QStringLiteral("Extract Between X and Y (Repeatedly)"));
    QCOMPARE(form.startMarker(), QString());
    QCOMPARE(form.endMarker(), QString());
    QVERIFY(form.includeStart());
    QVERIFY(form.includeEnd());
    QCOMPARE(form.findChild<QPlainTextEdit *>("Text1")->accessibleName(), "Start with (X)");
    QCOMPARE(form.findChild<QPlainTextEdit *>("Text2")->accessibleName(), "End with (Y)");
    // Opening writes nothing.
    QCOMPARE(stored("StartWith"), "<absent>");
    QCOMPARE(stored("Check21"), "<absent>");
}

void tst_Form2::editsSurviveRestart()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    {
        Form2 form(m_link);
        QTest::keyClicks(form.findChild<QPlainTextEdit *>("Text1"), "remove=");
        auto *endBox = form.findChild<QPlainTextEdit *>("Text2");
        QTest::keyClicks(endBox, " tar");
        QTest::keyClick(endBox, Qt::Key_Return);
        QTest::keyClicks(endBox, "get");
        form.findChild<QCheckBox *>("Check2")->click();
        // Stored on every keystroke and click.
        QCOMPARE(stored("StartWith"), "remove=");
        QCOMPARE(stored("EndWith"), " tar\r\nget");
        QCOMPARE(stored("Check22"), "0");
        QCOMPARE(stored("Check21"), "<absent>");
        QCOMPARE(form.endMarker(), " tar\r\nget");
    }
    Form2 restarted(m_link);
    QCOMPARE(restarted.startMarker(), "remove=");
    QCOMPARE(restarted.endMarker(), " tar\r\nget");
    QVERIFY(restarted.includeStart());
    QVERIFY(!restarted.includeEnd());
    restarted.findChild<QCheckBox *>("Check2")->click();
    QCOMPARE(stored("Check22"), "1");
}

void tst_Form2::storedCheckValues_data()
{
    QTest::addColumn<QString>("storedValue");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("reported");
    QTest::newRow("cleared") << "0" << false << false;
    QTest::newRow("ticked") << "1" << true << false;
    QTest::newRow("not a number") << "abc" << false << true;
    QTest::newRow("out of range") << "7" << false << true;
}

void tst_Form2::storedCheckValues()
{
    QFETCH(QString, storedValue);
    QFETCH(bool, ticked);
    QFETCH(bool, reported);
    SaveSetting(QStringLiteral("Check21"), storedValue);
    SaveSetting(QStringLiteral("EndWith"), QStringLiteral("n"));
    ScriptedPrompts prompts;
    Form2 form(m_link);
    QCOMPARE(form.includeStart(), ticked);
    // A failed step does not keep the next ones from loading.
    QVERIFY(form.includeEnd());
    QCOMPARE(form.endMarker(), "n");
    QCOMPARE(prompts.boxes().size(), reported ? 1 : 0);
    if (reported) {
        QCOMPARE(prompts.boxes().first().title, "Application Error");
        QVERIFY(prompts.boxes().first().text.contains(
            "in Tessaline2021/08/31.Form2.Form_Load at line "));
    }
}

void tst_Form2::startStopAndEscape()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    Form2 form(m_link);
    form.show();
    auto *startButton = form.findChild<QPushButton *>("PushButton4");
    QCOMPARE(startButton->text(), "Start Extracting");

    startButton->click();
    QCOMPARE(m_link.clicks.size(), 1);
    const FakeMainWindowLink::Click start = m_link.clicks.first();
    QCOMPARE(start.button, startButton);
    QCOMPARE(start.idleCaption, "Start Extracting");
    QCOMPARE(start.mode, ExtractionMode::Between);
    QCOMPARE(start.location, "Form2.PushButton4_Click");
    QCOMPARE(start.pointerWindow, &form);

    // Esc during the dialog's run is the Stop click, and the dialog stays open.
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(m_link.clicks.size(), 2);
    QVERIFY(m_link.clicks.last().stopRequest);
    QCOMPARE(startButton->text(), "Start Extracting");
    QVERIFY(form.isVisible());

    // Without a run Esc closes (hides) the dialog and starts nothing.
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(m_link.clicks.size(), 2);
    QVERIFY(!form.isVisible());
}

void tst_Form2::closingOnlyHides()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    QPointer<Form2> form = new Form2(m_link);
    form->show();
    auto *startButton = form->findChild<QPushButton *>("PushButton4");
    startButton->click();
    QTest::keyClicks(form->findChild<QPlainTextEdit *>("Text1"), "p");

    form->findChild<QPushButton *>("PushButton1")->click();
    QVERIFY(!form->isVisible());
    form->show();
    QVERIFY(form->close() == false); // the close box is refused, the dialog hides
    QVERIFY(!form->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form);

    // Reopened, it still shows its run and its marker, without reading the store again.
    SaveSetting(QStringLiteral("StartWith"), QStringLiteral("changed elsewhere"));
    form->show();
    QCOMPARE(startButton->text(), "Stop");
    QCOMPARE(form->startMarker(), "p");
    delete form;
}

QTEST_MAIN(tst_Form2)
#include "tst_Form2.moc"
