#include "AppPassword.h"
#include "SignInFailureText.h"

#include <QTest>

// The failure boxes made from what the server said, with Gmail's exact replies, and the spaced
// app password.
class tst_SignInFailureText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInBox_data();
    void signInBox();
    void otherFailuresAreNotSignInFailures();
    void spacedAppPassword_data();
    void spacedAppPassword();
};

void tst_SignInFailureText::signInBox_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("serverWords");
    QTest::addColumn<QString>("advice");

    QTest::newRow("wrong password")
        << "LOGIN failed, server replied: NO [AUTHENTICATIONFAILED] Invalid credentials (Failure)"
        << "[AUTHENTICATIONFAILED] Invalid credentials (Failure)"
        << "Please double-check your user name";
    QTest::newRow("app password required")
        << "LOGIN failed, server replied: NO [ALERT] Application-specific password required: "
           "https://support.google.com/accounts/answer/185833 (Failure)"
        << "[ALERT] Application-specific password required: "
           "https://support.google.com/accounts/answer/185833 (Failure)"
        << "Create one at https://myaccount.google.com/apppasswords";
    QTest::newRow("web login")
        << "LOGIN failed, server replied: NO [ALERT] Please log in via your web browser: "
           "https://support.google.com/mail/accounts/answer/78754 (Failure)"
        << "[ALERT] Please log in via your web browser: "
           "https://support.google.com/mail/accounts/answer/78754 (Failure)"
        << "confirm this sign-in first";
    QTest::newRow("web alert code")
        << "LOGIN failed, server replied: NO [WEBALERT https://accounts.google.com/x] Web login "
           "required."
        << "[WEBALERT https://accounts.google.com/x] Web login required."
        << "confirm this sign-in first";
    QTest::newRow("too many connections")
        << "LOGIN failed, server replied: NO [ALERT] Too many simultaneous connections. (Failure)"
        << "[ALERT] Too many simultaneous connections. (Failure)"
        << "Close other mail programs";
    QTest::newRow("refused token with its reason")
        << "AUTHENTICATE failed, server replied: NO [AUTHENTICATIONFAILED] Invalid credentials "
           "(Failure) (the token was refused (status 401))"
        << "[AUTHENTICATIONFAILED] Invalid credentials (Failure) (the token was refused (status "
           "401))"
        << "Please double-check your user name";
}

void tst_SignInFailureText::signInBox()
{
    QFETCH(QString, failure);
    QFETCH(QString, serverWords);
    QFETCH(QString, advice);

    QCOMPARE(SignInFailureText::serverWords(failure), serverWords);
    const QStringList paragraphs =
        SignInFailureText::box(failure).split(QStringLiteral("\r\n\r\n"));
    QCOMPARE(paragraphs.size(), 3);
    QCOMPARE(paragraphs.at(0), QStringLiteral("Invalid login. Gmail said: ") + serverWords);
    QVERIFY2(paragraphs.at(1).contains(advice), qPrintable(paragraphs.at(1)));
    QCOMPARE(paragraphs.at(2),
             QStringLiteral("Would you like to see how to create an app password?"));
    QVERIFY(!SignInFailureText::box(failure).contains(QStringLiteral("Less Secure")));
}

void tst_SignInFailureText::otherFailuresAreNotSignInFailures()
{
    const QString down = SignInFailureText::connection(
        QStringLiteral("cannot connect to imap.gmail.com:993: Network unreachable"));
    QVERIFY(down.startsWith(QStringLiteral("Could not connect to Gmail: cannot connect to "
                                           "imap.gmail.com:993: Network unreachable\r\n\r\n")));
    const QString refused = SignInFailureText::mailbox(
        QStringLiteral("EXAMINE failed, server replied: NO [NONEXISTENT] Unknown Mailbox"));
    QVERIFY(refused.startsWith(QStringLiteral("The mailbox could not be opened: EXAMINE failed")));
    for (const QString &text :
         {down, refused, SignInFailureText::identification({}), SignInFailureText::listing({})})
        QVERIFY2(!text.contains(QStringLiteral("Invalid login")), qPrintable(text));
}

void tst_SignInFailureText::spacedAppPassword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");

    QTest::newRow("as Google shows it") << "abcd efgh ijkl mnop"
                                        << "abcdefghijklmnop";
    QTest::newRow("already joined") << "abcdefghijklmnop"
                                    << "abcdefghijklmnop";
    QTest::newRow("a password with spaces of its own") << "my secret pass word"
                                                       << "my secret pass word";
    QTest::newRow("capitals are not Google's") << "Abcd efgh ijkl mnop"
                                               << "Abcd efgh ijkl mnop";
    QTest::newRow("double space") << "abcd  efgh ijkl mnop"
                                  << "abcd  efgh ijkl mnop";
    QTest::newRow("trailing space") << "abcd efgh ijkl mnop "
                                    << "abcd efgh ijkl mnop ";
}

void tst_SignInFailureText::spacedAppPassword()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QCOMPARE(AppPassword::normalised(typed), sent);
}

QTEST_GUILESS_MAIN(tst_SignInFailureText)
#include "tst_SignInFailureText.moc"
