#include "Form1.h"
#include "LocalCopyPanel.h"
#include "LocalMailCopy.h"
#include "ResultListView.h"
#include "ScriptedPrompts.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Where Tab goes from `widget`: the chain also holds frames that take no focus.
QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}
} // namespace

// The main window's "Local Copy" frame: the stored choice, reached by keyboard, and forgetting
// the copy of the user in the sign-in box only after asking.
class tst_LocalCopyPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cacheHome.path())); }

    void theChoiceIsStoredAndReachedByKeyboard()
    {
        SaveSetting(SettingsKeys::KeepLocalCopy, QStringLiteral("1"));
        Form1 window;
        LocalCopyPanel &panel = *window.controls().localCopy;
        QVERIFY(panel.keepBox()->isChecked());
        QCOMPARE(nextTabStop(window.controls().PushButton18), panel.keepBox());
        QCOMPARE(nextTabStop(panel.keepBox()), panel.forgetButton());
        QCOMPARE(nextTabStop(panel.forgetButton()), window.controls().ListView1);

        QTest::keyClick(panel.keepBox(), Qt::Key_Space);
        QVERIFY(!panel.keepBox()->isChecked());
        QVERIFY(!LocalMailCopy::isWanted());
        QVERIFY(!Form1().controls().localCopy->keepBox()->isChecked());
    }

    void forgettingAsksFirstAndSaysWhenThereIsNothing()
    {
        const QString user = QStringLiteral("reader.one@example.com");
        Form1 window;
        LocalCopyPanel &panel = *window.controls().localCopy;
        ScriptedPrompts prompts;
        panel.forgetButton()->click();
        window.controls().Text7->setText(user);
        panel.forgetButton()->click();
        QCOMPARE(prompts.messageTexts(),
                 QStringList({QStringLiteral("Enter the user name whose local copy to forget."),
                              QStringLiteral("There is no local copy of mail text for "
                                             "reader.one@example.com.")}));

        KeptMessage message;
        message.subject = "kept";
        LocalMailCopy(user).keep({{{QStringLiteral("INBOX"), 1, 1}, message}});
        prompts.clear();
        prompts.answerMessage(Prompts::Answer::No);
        panel.forgetButton()->click();
        QVERIFY(LocalMailCopy::isKept(user));
        prompts.answerMessage(Prompts::Answer::Yes);
        panel.forgetButton()->click();
        QVERIFY(!LocalMailCopy::isKept(user));
        QCOMPARE(prompts.boxes().size(), 3);
        QCOMPARE(prompts.boxes().at(0).buttons, Prompts::Buttons::YesNo);
        QCOMPARE(prompts.messageTexts().last(),
                 QStringLiteral("The local copy of mail text for reader.one@example.com was "
                                "removed."));
    }

private:
    QTemporaryDir m_cacheHome;
    TestEnvironment m_environment;
};

QTEST_MAIN(tst_LocalCopyPanel)
#include "tst_LocalCopyPanel.moc"
