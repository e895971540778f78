#include "BetweenMarkers.h"
#include "FakeMainWindowLink.h"
#include "Form2.h"
#include "Form3.h"
#include "HelpTexts.h"
#include "LocalCopyFile.h"
#include "LocalMailCopy.h"
#include "MainWindowHelp.h"
#include "RowSink.h"
#include "ScriptedPrompts.h"
#include "TestEnvironment.h"
#include "TextRules.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {
// The texts are written here line by line with '\n'; the boxes separate lines with `separator`.
QString lines(const char *text, const char *separator = "\r")
{
    return QString::fromUtf8(text).replace(QLatin1Char('\n'), QLatin1String(separator));
}

const char *const ExtractBetweenExample = R"(If one of the files has this for content:

The rain in spain falls mainly on the plain.

and your input is: 
p
n

then 

ai
lai

will be extracted.

If one of the files has this for content:

UNSUBSCRIBE: If you would like to stop receiving emails from Marian Castell, you can easily <a href=https://news.harbourlight.example/unsubscribe?list=weekly&remove=reader.one@example.com target="_blank">unsubscribe</a>.<br><br>

and your input is: 
remove=
 target

then 

reader.one@example.com

will be extracted.)";

const char *const TextSetExample = R"(A text set is a set of words or characters.

Add what you want to search for into the set by selecting "Add Text"

Sample Execution:

Sample File:

The tide rolls grey along the shore,
   the gulls call out once more;
The harbour lamps burn low and wide,
   and boats come back at dusk.

No storm can reach the sheltered bay,
   no misery rides the swell;
The width of night lies calm and still,
   and all is well.

- Rosalyn Marsh

Containing Text:

i
width
misery

Results:

The tide rolls grey along the shore,
The harbour lamps burn low and wide,
no misery rides the swell;
The width of night lies calm and still,
and all is well.)";

class ListSink final : public RowSink
{
public:
    void append(const QString &text) override { rows.append(text); }
    bool contains(const QString &text) const override { return rows.contains(text); }
    QStringList rows;
};

// Runs the engine's extract-between on help line `source` with the markers of two other lines
// (all numbered from 1).
QStringList extractedBy(const QStringList &help, int source, int start, int end)
{
    ListSink sink;
    ExtractBetween(help.at(source - 1), {help.at(start - 1), help.at(end - 1)}, sink);
    return sink.rows;
}
} // namespace

class tst_HelpTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_link.clicks.clear(); }
    void boxTexts_data();
    void boxTexts();
    void privacyPolicyNamesTheLocalCopyWhileItIsKept();
    void extractBetweenExampleIsWhatTheEngineExtracts();
    void textSetExampleResultsAreThePoemLinesFound();

private:
    TestEnvironment m_environment;
    FakeMainWindowLink m_link;
};

void tst_HelpTexts::boxTexts_data()
{
    QTest::addColumn<std::function<void(FakeMainWindowLink &)>>("showHelp");
    QTest::addColumn<QStringList>("texts");
    const auto mainWindowButton = [](const char *name) {
        return std::function<void(FakeMainWindowLink &)>(
            [name](FakeMainWindowLink &) { ShowMainWindowHelp(QLatin1String(name)); });
    };

    QTest::newRow("sign-in help, then the privacy policy")
        << mainWindowButton("PushButton15")
        << QStringList(
               {lines(
                    R"(Having problems connecting? Make sure you have the latest version by downloading from https://www.tessaline.example/download

Gmail lets this software sign in in one of two ways.

1. An app password: a 16-letter password Google makes for one program. Your Google account needs 2-Step Verification. Create one at https://myaccount.google.com/apppasswords and enter it as the password, with or without its spaces. Your usual Google password no longer works here.

2. Sign in with Google: choose it instead of the password and confirm in your web browser. It needs an OAuth client ID of your own, entered once in its settings (the README says how to create one).

IMAP is always on for personal Gmail accounts; there is nothing to enable.

Google Workspace accounts (addresses on your organisation's own domain) work too, when the administrator allows IMAP and app passwords or your OAuth client.

When a sign-in fails, the message shows what Gmail said and what to do about it.)"),
                lines(R"(Privacy Policy

1. This software can access your Gmail account only if you grant access to it, with an app password or by signing in with Google.

2. This software does not store any information that is retrieved from your Gmail account.

3. If you select the 'Remember me' feature, your user name is kept in a settings file on your computer that only you can read, and your app password in your computer's secret store (the desktop keyring). Your sign-in with Google is kept in the secret store too. Where no secret store is available, they are kept only until the program closes, never in a plain file. Nothing is stored on a server.)")});
    QTest::newRow("lines by number")
        << mainWindowButton("PushButton10")
        << QStringList(lines(R"(If one of the files has this for content:

A
B
C
D
E
F
G

and your input is: 1,3,4

then 

A
C
D

will be extracted.

The same lines will be extracted throughout all the files you add to the list.)"));
    QTest::newRow("extract between, main window")
        << mainWindowButton("PushButton16") << QStringList(lines(ExtractBetweenExample) + "\r\r");
    QTest::newRow("extract between, dialog")
        << std::function<void(FakeMainWindowLink &)>([](FakeMainWindowLink &link) {
               Form2(link).findChild<QPushButton *>("PushButton11")->click();
           })
        << QStringList(lines(ExtractBetweenExample));
    QTest::newRow("text sets, main window")
        << mainWindowButton("PushButton18") << QStringList(lines(TextSetExample));
    QTest::newRow("text sets, dialog")
        << std::function<void(FakeMainWindowLink &)>([](FakeMainWindowLink &link) {
               Form3(link).findChild<QPushButton *>("PushButton11")->click();
           })
        << QStringList(lines(TextSetExample));
    QTest::newRow("character filter")
        << mainWindowButton("PushButton20")
        << QStringList("Search feature. This feature will allow you to only show emails containing "
                       "certain text so that you do not have to look at all the emails in the "
                       "folder.");
    QTest::newRow("label filter")
        << mainWindowButton("PushButton21")
        << QStringList(lines(
               R"(This feature will allow you to show only emails that are associated with a certain label. 

If you are new to Gmail and do not know what a label is, see https://support.google.com/mail/answer/118708)",
               "\r\n"));
    QTest::newRow("not a help button") << mainWindowButton("PushButton17") << QStringList();
}

void tst_HelpTexts::boxTexts()
{
    QFETCH(std::function<void(FakeMainWindowLink &)>, showHelp);
    QFETCH(QStringList, texts);
    ScriptedPrompts prompts;
    showHelp(m_link);
    QCOMPARE(prompts.messageTexts(), texts);
    for (const ScriptedPrompts::Box &box : prompts.boxes()) {
        QCOMPARE(box.title, "Tessaline");
        QCOMPARE(box.buttons, Prompts::Buttons::Ok);
        QCOMPARE(box.icon, Prompts::Icon::None);
    }
    QVERIFY(m_link.clicks.isEmpty());
}

void tst_HelpTexts::privacyPolicyNamesTheLocalCopyWhileItIsKept()
{
    QTemporaryDir cacheHome;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    const auto privacyBox = [] {
        ScriptedPrompts prompts;
        ShowMainWindowHelp(QStringLiteral("PushButton15"));
        return prompts.messageTexts().value(1);
    };
    const QString withCopy = PrivacyPolicyText() + lines(R"(

When 'Keep a local copy of fetched mail text' is ticked, this is the exception: the sender, date, subject and text of each message retrieved (never its attachments) are kept on your computer, in a file only you can read in )")
        + LocalCopyFile::folder()
        + QStringLiteral(", so that a later run need not download them again. They stay there "
                         "until you press 'Forget local copy'.");
    QCOMPARE(privacyBox(), PrivacyPolicyText());
    LocalMailCopy::setWanted(true);
    QCOMPARE(privacyBox(), withCopy);
    KeptMessage message;
    message.subject = "kept";
    LocalMailCopy(QStringLiteral("reader.one@example.com"))
        .keep({{{QStringLiteral("INBOX"), 1, 1}, message}});
    // Unticked, the copy kept so far is still on the computer until it is forgotten.
    LocalMailCopy::setWanted(false);
    QCOMPARE(privacyBox(), withCopy);
    LocalMailCopy::forget(QStringLiteral("reader.one@example.com"));
    QCOMPARE(privacyBox(), PrivacyPolicyText());
    qunsetenv("XDG_CACHE_HOME");
}

void tst_HelpTexts::extractBetweenExampleIsWhatTheEngineExtracts()
{
    const QStringList help = ExtractBetweenHelpText().split(QLatin1Char('\r'));
    QCOMPARE(help.size(), 28);
    QCOMPARE(extractedBy(help, 3, 6, 7), help.mid(10, 2));
    QCOMPARE(extractedBy(help, 18, 21, 22), QStringList(help.at(25)));
}

void tst_HelpTexts::textSetExampleResultsAreThePoemLinesFound()
{
    const QStringList help = TextSetHelpText().split(QLatin1Char('\r'));
    QCOMPARE(help.size(), 33);
    const QStringList poem = help.mid(8, 4) + help.mid(13, 4);
    const QStringList searches = help.mid(22, 3);
    QStringList found;
    for (const QString &line : poem) {
        const bool hit =
            std::any_of(searches.cbegin(), searches.cend(),
                        [&](const QString &search) { return ContainsText(line, search); });
        if (hit)
            found.append(line.trimmed());
    }
    QCOMPARE(found, help.mid(28, 5));
    for (int line : {10, 12, 15, 17})
        QVERIFY(help.at(line - 1).startsWith("   ") && !help.at(line - 1).at(3).isSpace());
    QVERIFY(help.at(18).startsWith("- "));
}

QTEST_MAIN(tst_HelpTexts)
#include "tst_HelpTexts.moc"
