#include "Form6.h"
#include "RunFlags.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_Form6 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void okTakesTheTextAsTyped_data();
    void okTakesTheTextAsTyped();
    void cancelLeavesEverything();

private:
    TestEnvironment m_environment;
};

void tst_Form6::init()
{
    m_environment.resetSettings();
    suppressDoneNotice = false;
}

void tst_Form6::okTakesTheTextAsTyped_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterOk");
    QTest::newRow("kept") << "invoice"
                          << ""
                          << "invoice";
    QTest::newRow("replaced by typing") << "invoice"
                                        << "receipt"
                                        << "receipt";
    QTest::newRow("blanks kept") << ""
                                 << "  order "
                                 << "  order ";
    QTest::newRow("deleted") << "invoice"
                             << "\b"
                             << "";
}

void tst_Form6::okTakesTheTextAsTyped()
{
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, afterOk);
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    QString charactersFilter = filter;
    Form6 dialog(charactersFilter, nullptr);
    Form6 *form = &dialog;
    form->show();
    auto *search = form->findChild<QLineEdit *>("txtSearch");
    QCOMPARE(search->accessibleName(), "Filter By Characters");
    QCOMPARE(search->text(), filter);
    QCOMPARE(search->selectedText(), filter); // typing replaces the whole filter
    if (typed == "\b")
        QTest::keyClick(search, Qt::Key_Backspace);
    else
        QTest::keyClicks(search, typed);
    form->findChild<QPushButton *>("PushButton1")->click();
    QCOMPARE(charactersFilter, afterOk);
    QCOMPARE(GetSetting(QStringLiteral("CharactersFilter"), "<absent>"), afterOk);
    QVERIFY(suppressDoneNotice);
    QVERIFY(!form->isVisible());
}

void tst_Form6::cancelLeavesEverything()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    QString charactersFilter = QStringLiteral("invoice");
    Form6 dialog(charactersFilter, nullptr);
    Form6 *form = &dialog;
    form->show();
    QTest::keyClicks(form->findChild<QLineEdit *>("txtSearch"), "other");
    form->findChild<QPushButton *>("PushButton2")->click();
    QCOMPARE(charactersFilter, "invoice");
    QCOMPARE(GetSetting(QStringLiteral("CharactersFilter"), "<absent>"), "<absent>");
    QVERIFY(suppressDoneNotice);
    QVERIFY(!form->isVisible());
}

QTEST_MAIN(tst_Form6)
#include "tst_Form6.moc"
