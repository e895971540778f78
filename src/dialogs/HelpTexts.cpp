#include "HelpTexts.h"

#include <QStringList>

namespace {
QString crLines(const QStringList &lines)
{
    return lines.join(QLatin1Char('\r'));
}

const char *const NewsletterFooter =
    "UNSUBSCRIBE: If you would like to stop receiving emails from "
    "Marian Castell, you can easily <a href=https://news.harbourlight"
    ".example/unsubscribe?list=weekly&remove=reader.one@example.com "
    "target=\"_blank\">unsubscribe</a>.<br><br>";
const char *const NewsletterSubscriber = "reader.one@example.com";
} // namespace

QString ExtractBetweenHelpText()
{
    return crLines({
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QStringLiteral("The rain in spain falls mainly on the plain."),
        QString(),
        QStringLiteral("and your input is: "),
        QStringLiteral("p"),
        QStringLiteral("n"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QStringLiteral("ai"),
        QStringLiteral("lai"),
        QString(),
        QStringLiteral("will be extracted."),
        QString(),
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QString::fromLatin1(NewsletterFooter),
        QString(),
        QStringLiteral("and your input is: "),
        QStringLiteral("remove="),
        QStringLiteral(" target"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QString::fromLatin1(NewsletterSubscriber),
        QString(),
        QStringLiteral("will be extracted."),
    });
}

QString TextSetHelpText()
{
    return crLines({
        QStringLiteral("A text set is a set of words or characters."),
        QString(),
        QStringLiteral("Add what you want to search for into the set by selecting \"Add Text\""),
        QString(),
        QStringLiteral("Sample Execution:"),
        QString(),
        QStringLiteral("Sample File:"),
        QString(),
        QStringLiteral("The tide rolls grey along the shore,"),
        QStringLiteral("   the gulls call out once more;"),
        QStringLiteral("The harbour lamps burn low and wide,"),
        QStringLiteral("   and boats come back at dusk."),
        QString(),
        QStringLiteral("No storm can reach the sheltered bay,"),
        QStringLiteral("   no misery rides the swell;"),
        QStringLiteral("The width of night lies calm and still,"),
        QStringLiteral("   and all is well."),
        QString(),
        QStringLiteral("- Rosalyn Marsh"),
        QString(),
        QStringLiteral("Containing Text:"),
        QString(),
        QStringLiteral("i"),
        QStringLiteral("width"),
        QStringLiteral("misery"),
        QString(),
        QStringLiteral("Results:"),
        QString(),
        QStringLiteral("The tide rolls grey along the shore,"),
        QStringLiteral("The harbour lamps burn low and wide,"),
        QStringLiteral("no misery rides the swell;"),
        QStringLiteral("The width of night lies calm and still,"),
        QStringLiteral("and all is well."),
    });
}

QString LineNumberHelpText()
{
    return crLines({
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QStringLiteral("A"),
        QStringLiteral("B"),
        QStringLiteral("C"),
        QStringLiteral("D"),
        QStringLiteral("E"),
        QStringLiteral("F"),
        QStringLiteral("G"),
        QString(),
        QStringLiteral("and your input is: 1,3,4"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QStringLiteral("A"),
        QStringLiteral("C"),
        QStringLiteral("D"),
        QString(),
        QStringLiteral("will be extracted."),
        QString(),
        QStringLiteral(
            "The same lines will be extracted throughout all the files you add to the list."),
    });
}

QString SignInHelpText()
{
    return crLines({
        QStringLiteral("Having problems connecting? Make sure you have the latest version by "
                       "downloading from ")
            + QLatin1String(DownloadPageAddress),
        QString(),
        QStringLiteral("Gmail lets this software sign in in one of two ways."),
        QString(),
        QStringLiteral(
            "1. An app password: a 16-letter password Google makes for one program. Your Google "
            "account needs 2-Step Verification. Create one at "
            "https://myaccount.google.com/apppasswords and enter it as the password, with or "
            "without its spaces. Your usual Google password no longer works here."),
        QString(),
        QStringLiteral("2. Sign in with Google: choose it instead of the password and confirm in "
                       "your web browser. It needs an OAuth client ID of your own, entered once in "
                       "its settings (the README says how to create one)."),
        QString(),
        QStringLiteral(
            "IMAP is always on for personal Gmail accounts; there is nothing to enable."),
        QString(),
        QStringLiteral(
            "Google Workspace accounts (addresses on your organisation's own domain) work too, "
            "when the administrator allows IMAP and app passwords or your OAuth client."),
        QString(),
        QStringLiteral(
            "When a sign-in fails, the message shows what Gmail said and what to do about it."),
    });
}

QString PrivacyPolicyText()
{
    return crLines({
        QStringLiteral("Privacy Policy"),
        QString(),
        QStringLiteral("1. This software can access your Gmail account only if you grant access to "
                       "it, with an app password or by signing in with Google."),
        QString(),
        QStringLiteral("2. This software does not store any information that is retrieved from "
                       "your Gmail account."),
        QString(),
        QStringLiteral("3. If you select the 'Remember me' feature, your user name is kept in a "
                       "settings file on your computer that only you can read, and your app "
                       "password in your computer's secret store (the desktop keyring). Your "
                       "sign-in with Google is kept in the secret store too. Where no secret store "
                       "is available, they are kept only until the program closes, never in a "
                       "plain file. Nothing is stored on a server."),
    });
}

QString LocalCopyPrivacyText(const QString &folder)
{
    return QStringLiteral("When 'Keep a local copy of fetched mail text' is ticked, this is the "
                          "exception: the sender, date, subject and text of each message "
                          "retrieved (never its attachments) are kept on your computer, in a file "
                          "only you can "
                          "read in %1, so that a later run need not download them again. They "
                          "stay there until you press 'Forget local copy'.")
        .arg(folder);
}

QString CharacterFilterHelpText()
{
    return QStringLiteral("Search feature. This feature will allow you to only show emails "
                          "containing certain text so that you do not have to look at all the "
                          "emails in the folder.");
}

QString LabelFilterHelpText()
{
    return QStringList({
                           QStringLiteral("This feature will allow you to show only emails that "
                                          "are associated with a certain label. "),
                           QString(),
                           QStringLiteral("If you are new to Gmail and do not know what a label "
                                          "is, see ")
                               + QLatin1String(LabelHelpAddress),
                       })
        .join(QLatin1String("\r\n"));
}
