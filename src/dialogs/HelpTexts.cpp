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
        QStringLiteral("IMAP must be enabled on your Gmail account to use this software. "),
        QString(),
        QStringLiteral("To do this, login into your Gmail account with your regular internet "
                       "browser."),
        QString(),
        QStringLiteral("Click on 'Settings', click on 'Forwarding and POP/IMAP', click on 'Enable "
                       "IMAP' option"),
        QString(),
        QStringLiteral("Click on 'Save Changes'"),
        QString(),
        QStringLiteral("Also, English should be enabled ('Settings' > 'Language' > 'English')."),
        QString(),
        QStringLiteral("Google Apps (AKA \"Google Apps for Your Domain\") can host your personal "
                       "email at Gmail without using an @gmail.com account."),
        QString(),
        QStringLiteral("Unfortunately, this software does not support these Google Apps accounts. "
                       "This software supports standard Gmail accounts."),
        QString(),
        QStringLiteral("In other words, email addresses such as yourname@yourcompany.example "
                       "cannot be used with this software, but yourname@gmail.com can be."),
    });
}

QString PrivacyPolicyText()
{
    return crLines({
        QStringLiteral("Privacy Policy"),
        QString(),
        QStringLiteral("1. This software can access your Gmail account only if you grant access to "
                       "it."),
        QString(),
        QStringLiteral("2. This software does not store any information that is retrieved from "
                       "your Gmail account."),
        QString(),
        QStringLiteral("3. This software stores your username and password locally on your "
                       "computer if you select the 'Remember me' feature, but this information is "
                       "private and not stored on a server."),
    });
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
