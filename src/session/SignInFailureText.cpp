#include "SignInFailureText.h"

#include <QStringList>

namespace {

const QString paragraphBreak = QStringLiteral("\r\n\r\n");

QString paragraphs(const QStringList &texts)
{
    return texts.join(paragraphBreak);
}

bool says(const QString &words, const char *phrase)
{
    return words.contains(QLatin1String(phrase), Qt::CaseInsensitive);
}

QString withReason(const QString &sentence, const QString &failure)
{
    return failure.isEmpty() ? sentence + u'.' : QStringLiteral("%1: %2").arg(sentence, failure);
}

} // namespace

QString SignInFailureText::serverWords(const QString &failure)
{
    static const QLatin1String replied("server replied: ");
    const qsizetype at = failure.indexOf(replied);
    if (at < 0)
        return {};
    QString words = failure.mid(at + replied.size()).trimmed();
    for (const QLatin1String status : {QLatin1String("NO "), QLatin1String("BAD ")}) {
        if (words.startsWith(status, Qt::CaseInsensitive))
            return words.mid(status.size()).trimmed();
    }
    return words;
}

QString SignInFailureText::advice(const QString &serverWords)
{
    const QString appPasswords = QLatin1String(appPasswordsAddress);
    if (says(serverWords, "Application-specific password required"))
        return QStringLiteral("This Google account uses 2-Step Verification, so Gmail wants an "
                              "app password instead of your Google password. Create one at %1 "
                              "(it needs 2-Step Verification) and enter it as the password, or "
                              "choose \"Sign in with Google\".")
            .arg(appPasswords);
    if (says(serverWords, "[WEBALERT") || says(serverWords, "log in via your web browser"))
        return QStringLiteral("Google wants you to confirm this sign-in first: sign in to Gmail "
                              "in your web browser, follow what it asks, then connect again.");
    if (says(serverWords, "Too many simultaneous connections"))
        return QStringLiteral("Too many programs are connected to this Gmail account at once. "
                              "Close other mail programs (or their other windows), then connect "
                              "again.");
    return QStringLiteral("Please double-check your user name (your whole Gmail address) and "
                          "your app password. Gmail no longer accepts your Google password here: "
                          "use an app password (%1) or choose \"Sign in with Google\".")
        .arg(appPasswords);
}

QString SignInFailureText::box(const QString &failure)
{
    const QString words = serverWords(failure);
    QStringList texts;
    texts.append(words.isEmpty() ? QStringLiteral("Invalid login.")
                                 : QStringLiteral("Invalid login. Gmail said: %1").arg(words));
    texts.append(advice(words));
    texts.append(QStringLiteral("Would you like to see how to create an app password?"));
    return paragraphs(texts);
}

QString SignInFailureText::connection(const QString &failure)
{
    return paragraphs({withReason(QStringLiteral("Could not connect to Gmail"), failure),
                       QStringLiteral("Please check your internet connection (and any firewall "
                                      "or proxy), then connect again.")});
}

QString SignInFailureText::identification(const QString &failure)
{
    return paragraphs({withReason(QStringLiteral("Gmail did not answer the connection's first "
                                                 "request"),
                                  failure),
                       QStringLiteral("Please connect again in a moment.")});
}

QString SignInFailureText::mailbox(const QString &failure)
{
    return paragraphs({withReason(QStringLiteral("The mailbox could not be opened"), failure),
                       QStringLiteral("It may have been renamed or removed, or hidden from IMAP "
                                      "(\"Show in IMAP\" in Gmail's label settings).")});
}

QString SignInFailureText::listing(const QString &failure)
{
    return paragraphs(
        {withReason(QStringLiteral("The list of mailboxes could not be read"), failure),
         QStringLiteral("Please connect again.")});
}
