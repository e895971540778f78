#include "Form5.h"
#include "RunFlags.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"
#include "clsImapSession.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class tst_Form5 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void storedLabelSelectedOnExactMatch_data();
    void storedLabelSelectedOnExactMatch();
    void closingLeavesFilterAndSetting_data();
    void closingLeavesFilterAndSetting();
    void modalRunAsTheMainWindowDoesIt();

private:
    TestEnvironment m_environment;
};

void tst_Form5::init()
{
    m_environment.resetSettings();
    suppressDoneNotice = false;
    mailboxLabels = QStringList({"Receipts", "Travel/2024", "Überweisungen"});
}

void tst_Form5::storedLabelSelectedOnExactMatch_data()
{
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("afterOk");
    const QStringList labels = {"Receipts", "Travel/2024", "Überweisungen"};
    QTest::newRow("exact") << labels << "Travel/2024" << 1 << "Travel/2024";
    QTest::newRow("non-ASCII") << labels << "Überweisungen" << 2 << "Überweisungen";
    QTest::newRow("other letter case") << labels << "travel/2024" << -1 << "";
    QTest::newRow("label gone") << labels << "Archive" << -1 << "";
    QTest::newRow("no filter") << labels << "" << -1 << "";
    QTest::newRow("no labels") << QStringList() << "Receipts" << -1 << "";
}

void tst_Form5::storedLabelSelectedOnExactMatch()
{
    QFETCH(QStringList, labels);
    QFETCH(QString, filter);
    QFETCH(int, selected);
    QFETCH(QString, afterOk);
    mailboxLabels = labels;
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    QString labelFilter = filter;
    Form5 dialog(labelFilter, nullptr);
    Form5 *form = &dialog;
    form->show();
    auto *combo = form->findChild<QComboBox *>("Combo1");
    QCOMPARE(combo->accessibleName(), "Filter By Label");
    QCOMPARE(combo->count(), labels.size());
    QCOMPARE(combo->currentIndex(), selected);

    form->findChild<QPushButton *>("PushButton1")->click();
    QCOMPARE(labelFilter, afterOk);
    QCOMPARE(GetSetting(QStringLiteral("LabelFilter"), "<absent>"), afterOk);
    QVERIFY(suppressDoneNotice);
    QVERIFY(!form->isVisible());
}

void tst_Form5::closingLeavesFilterAndSetting_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Esc") << "Esc";
}

void tst_Form5::closingLeavesFilterAndSetting()
{
    QFETCH(QString, how);
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    QString labelFilter = QStringLiteral("Receipts");
    Form5 dialog(labelFilter, nullptr);
    Form5 *form = &dialog;
    form->show();
    form->findChild<QComboBox *>("Combo1")->setCurrentIndex(1);
    if (how == "Cancel")
        form->findChild<QPushButton *>("PushButton3")->click();
    else if (how == "close")
        form->close();
    else
        QTest::keyClick(form, Qt::Key_Escape);
    QCOMPARE(labelFilter, "Receipts");
    QCOMPARE(GetSetting(QStringLiteral("LabelFilter"), "<absent>"), "<absent>");
    QVERIFY(suppressDoneNotice);
    QVERIFY(!form->isVisible());
}

void tst_Form5::modalRunAsTheMainWindowDoesIt()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    QString labelFilter;
    Form5 dialog(labelFilter, nullptr);
    Form5 *form = &dialog;
    QTimer::singleShot(0, form, [&] {
        form->findChild<QComboBox *>("Combo1")->setCurrentIndex(0);
        form->findChild<QPushButton *>("PushButton1")->click();
    });
    QCOMPARE(form->exec(), int(QDialog::Accepted));
    QCOMPARE(labelFilter, "Receipts");
    QVERIFY(suppressDoneNotice);
}

QTEST_MAIN(tst_Form5)
#include "tst_Form5.moc"
