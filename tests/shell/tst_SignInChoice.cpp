#include "Form1Controls.h"
#include "OAuthClient.h"
#include "OAuthClientDialog.h"
#include "SettingsStore.h"
#include "SignInChoice.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// The login frame's choice between an app password and "Sign in with Google", and the dialog
// for the user's own OAuth client.
class tst_SignInChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void choosingGoogleLeavesThePasswordOut();
    void clientIsKeptAsSettings();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void tst_SignInChoice::init()
{
    m_environment = std::make_unique<TestEnvironment>();
}

void tst_SignInChoice::choosingGoogleLeavesThePasswordOut()
{
    QWidget window;
    Form1Controls ui;
    ui.build(&window);
    SignInChoice &choice = *ui.signInChoice;
    QCOMPARE(choice.method(), SignInChoice::Method::AppPassword);
    QVERIFY(ui.Text6->isEnabled());
    QVERIFY(!choice.clientButton()->isEnabled());
    // Reached with the keyboard right after the password box.
    QCOMPARE(ui.Text6->nextInFocusChain(), choice.appPasswordButton());

    choice.googleButton()->click();
    QCOMPARE(choice.method(), SignInChoice::Method::Google);
    QVERIFY(!ui.Text6->isEnabled());
    QVERIFY(choice.clientButton()->isEnabled());
    QCOMPARE(GetSetting(QStringLiteral("SignInMethod")), QStringLiteral("oauth2"));

    // The next start shows the same choice.
    QWidget again;
    Form1Controls next;
    next.build(&again);
    QCOMPARE(next.signInChoice->method(), SignInChoice::Method::Google);
    QVERIFY(!next.Text6->isEnabled());
}

void tst_SignInChoice::clientIsKeptAsSettings()
{
    OAuthClientDialog dialog;
    QVERIFY(OAuthClientDialog::howToText().contains(QStringLiteral("Desktop app")));
    dialog.clientIdBox()->setText(QStringLiteral(" 123-abc.apps.googleusercontent.com "));
    dialog.clientSecretBox()->setText(QStringLiteral("GOCSPX-desktop"));
    dialog.accept();
    const OAuthClient client = OAuthClient::fromSettings();
    QCOMPARE(client.clientId, QStringLiteral("123-abc.apps.googleusercontent.com"));
    QCOMPARE(client.clientSecret, QStringLiteral("GOCSPX-desktop"));
    QCOMPARE(client.tokenUrl, QUrl(QStringLiteral("https://oauth2.googleapis.com/token")));
}

QTEST_MAIN(tst_SignInChoice)
#include "tst_SignInChoice.moc"
