#include "FakeMainWindowLink.h"
#include "Form3.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <memory>

class tst_Form3 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstOpeningAndAddingSurviveRestart();
    void cancelledOrEmptyAnswersAddNothing();
    void removeAndClearStoreTheList();
    void separatorInsideAnEntrySplitsIt();
    void loadKeepsNonBlankLinesUntrimmed();
    void loadSeveralFilesInTheOrderChosen();
    void loadedEntriesAreStoredByTheNextEdit();
    void startStopAndEscape();

private:
    static QStringList entries(const Form3 &form);
    static QString storedList() { return GetSetting(QStringLiteral("Combo1"), "<absent>"); }
    QString writeFile(const QString &name, const QByteArray &content) const;
    void click(Form3 &form, const char *button) const
    {
        form.findChild<QPushButton *>(QLatin1String(button))->click();
    }

    std::unique_ptr<TestEnvironment> m_environment;
    FakeMainWindowLink m_link;
};

QStringList tst_Form3::entries(const Form3 &form)
{
    const auto *combo = form.findChild<QComboBox *>("Combo1");
    QStringList texts;
    for (int index = 0; index < combo->count(); ++index)
        texts.append(combo->itemText(index));
    return texts;
}

QString tst_Form3::writeFile(const QString &name, const QByteArray &content) const
{
    const QString path = QDir(m_environment->programFolder()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_Form3::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    m_link.clicks.clear();
}

void tst_Form3::firstOpeningAndAddingSurviveRestart()
{
    ScriptedPrompts prompts;
    {
        Form3 form(m_link);
        QCOMPARE(entries(form), QStringList());
        QCOMPARE(form.currentTextSetEntry(), QString());
        QCOMPARE(form.findChild<QComboBox *>("Combo1")->accessibleName(), "Containing Text");
        for (const char *text : {"a", "b", "c"}) {
            prompts.answerInput(QString::fromLatin1(text));
            click(form, "PushButton2");
        }
        QCOMPARE(prompts.boxes().first().text, "Enter text:");
        QCOMPARE(storedList(), "a!!!QWIXL!!!b!!!QWIXL!!!c");
        QCOMPARE(storedList().size(), 25);
        // Adding never chooses an entry for the user.
        QCOMPARE(form.currentTextSetEntry(), QString());
    }
    Form3 restarted(m_link);
    QCOMPARE(entries(restarted), QStringList({"a", "b", "c"}));
    QCOMPARE(restarted.currentTextSetEntry(), QString());
    restarted.findChild<QComboBox *>("Combo1")->setCurrentIndex(1);
    QCOMPARE(restarted.currentTextSetEntry(), "b");
}

void tst_Form3::cancelledOrEmptyAnswersAddNothing()
{
    SaveSetting(QStringLiteral("Combo1"), QStringLiteral("kept"));
    ScriptedPrompts prompts;
    Form3 form(m_link);
    prompts.answerInput(std::nullopt);
    click(form, "PushButton2");
    prompts.answerInput(QString());
    click(form, "PushButton2");
    prompts.answerOpenFileNames({});
    click(form, "PushButton3");
    QCOMPARE(entries(form), QStringList({"kept"}));
    QCOMPARE(storedList(), "kept");
    QCOMPARE(prompts.messageTexts(), QStringList());
}

void tst_Form3::removeAndClearStoreTheList()
{
    SaveSetting(QStringLiteral("Combo1"), QStringLiteral("x!!!QWIXL!!!y!!!QWIXL!!!z"));
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    Form3 form(m_link);
    auto *combo = form.findChild<QComboBox *>("Combo1");

    SaveSetting(QStringLiteral("Combo1"), QStringLiteral("stale"));
    click(form, "PushButton1"); // nothing selected: nothing removed, the list saved as it is
    QCOMPARE(entries(form), QStringList({"x", "y", "z"}));
    QCOMPARE(storedList(), "x!!!QWIXL!!!y!!!QWIXL!!!z");

    combo->setCurrentIndex(1);
    click(form, "PushButton1");
    QCOMPARE(entries(form), QStringList({"x", "z"}));
    QCOMPARE(form.currentTextSetEntry(), QString()); // not moved on to a neighbour
    QCOMPARE(storedList(), "x!!!QWIXL!!!z");

    combo->setCurrentIndex(0);
    click(form, "PushButton1");
    combo->setCurrentIndex(0);
    click(form, "PushButton1");
    QCOMPARE(storedList(), QString());

    SaveSetting(QStringLiteral("Combo1"), QStringLiteral("p!!!QWIXL!!!q"));
    Form3 other(m_link);
    click(other, "PushButton5");
    QCOMPARE(entries(other), QStringList());
    QCOMPARE(storedList(), QString());
    QCOMPARE(entries(Form3(m_link)), QStringList());
}

void tst_Form3::separatorInsideAnEntrySplitsIt()
{
    ScriptedPrompts prompts;
    {
        Form3 form(m_link);
        prompts.answerInput(QStringLiteral("left!!!QWIXL!!!right"));
        click(form, "PushButton2");
        QCOMPARE(entries(form), QStringList({"left!!!QWIXL!!!right"}));
    }
    QCOMPARE(entries(Form3(m_link)), QStringList({"left", "right"}));
}

void tst_Form3::loadKeepsNonBlankLinesUntrimmed()
{
    const QString path = writeFile("sets.txt", "x\r\n\r\n   \r\n  y \r\n");
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    Form3 form(m_link);
    prompts.answerOpenFileNames({path});
    click(form, "PushButton3");
    QCOMPARE(prompts.boxes().first().title, "Add File(s) - Hold Ctrl to select multiple files");
    QCOMPARE(entries(form), QStringList({"x", "  y "}));
    QCOMPARE(form.currentTextSetEntry(), QString());
}

void tst_Form3::loadSeveralFilesInTheOrderChosen()
{
    writeFile("one.txt", "1a\n1b");
    writeFile("two.txt", "2a");
    writeFile("three.txt", "3a\n");
    ScriptedPrompts prompts;
    Form3 form(m_link);
    // The folder-and-names form of a multiple choice, with a file that went missing between.
    prompts.answerOpenFileNames(
        {m_environment->programFolder(), "two.txt", "gone.txt", "one.txt", "three.txt"});
    click(form, "PushButton3");
    QCOMPARE(entries(form), QStringList({"2a", "1a", "1b", "3a"}));
    QCOMPARE(prompts.messageTexts(), QStringList({"File not found"}));
    QCOMPARE(prompts.boxes().last().title, "Tessaline");
}

void tst_Form3::loadedEntriesAreStoredByTheNextEdit()
{
    SaveSetting(QStringLiteral("Combo1"), QStringLiteral("before"));
    const QString path = writeFile("more.txt", "loaded");
    ScriptedPrompts prompts;
    {
        Form3 form(m_link);
        prompts.answerOpenFileNames({path});
        click(form, "PushButton3");
        QCOMPARE(entries(form), QStringList({"before", "loaded"}));
    }
    QCOMPARE(storedList(), "before");
    Form3 restarted(m_link);
    QCOMPARE(entries(restarted), QStringList({"before"}));
    prompts.answerOpenFileNames({path});
    click(restarted, "PushButton3");
    prompts.answerInput(QStringLiteral("typed"));
    click(restarted, "PushButton2");
    QCOMPARE(storedList(), "before!!!QWIXL!!!loaded!!!QWIXL!!!typed");
}

void tst_Form3::startStopAndEscape()
{
    ScriptedPrompts prompts;
    prompts.expectNoBoxes();
    Form3 form(m_link);
    form.show();
    click(form, "PushButton4");
    QCOMPARE(m_link.clicks.size(), 1);
    QCOMPARE(m_link.clicks.first().mode, ExtractionMode::ContainingList);
    QCOMPARE(m_link.clicks.first().location, "Form3.PushButton4_Click");
    QCOMPARE(m_link.clicks.first().pointerWindow, &form);
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(m_link.clicks.size(), 2);
    QVERIFY(m_link.clicks.last().stopRequest);
    QVERIFY(form.isVisible());
    form.close();
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(tst_Form3)
#include "tst_Form3.moc"
