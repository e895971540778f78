#include "SignInBoxes.h"

#include "Form1Controls.h"
#include "Prompts.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "StepFailure.h"
#include "StoredPasswordMove.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

Qt::CheckState checkStateFromNumber(int value)
{
    switch (value) {
    case 0:
        return Qt::Unchecked;
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        throw StepFailure(QStringLiteral("Invalid property value"));
    }
}

} // namespace

SignInBoxes::SignInBoxes(const Form1Controls &ui, QObject *parent) : QObject(parent), m_ui(ui) { }

void SignInBoxes::selectAllOnFocus()
{
    m_ui.Text7->installEventFilter(this);
    m_ui.Text6->installEventFilter(this);
}

bool SignInBoxes::eventFilter(QObject *watched, QEvent *event)
{
    // Text7_GotFocus and Text6_GotFocus: select the whole text, also after a click (the click's
    // own cursor placement comes first, hence the queued selection).
    if (event->type() == QEvent::FocusIn && (watched == m_ui.Text7 || watched == m_ui.Text6)) {
        auto *box = static_cast<QLineEdit *>(watched);
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QObject::eventFilter(watched, event);
}

QString SignInBoxes::user() const
{
    return m_ui.Text7->text();
}

QString SignInBoxes::password() const
{
    return m_ui.Text6->text();
}

void SignInBoxes::moveStoredPassword()
{
    QString notice;
    if (StoredPasswordMove::run(m_secrets, &notice) == StoredPasswordMove::Result::LeftInSettings)
        tellOnce(notice);
}

void SignInBoxes::showStoredSignIn() const
{
    m_ui.Text7->setText(GetSetting(SettingsKeys::User));
}

void SignInBoxes::loadRememberedSignIn()
{
    if (ReadWholeNumberSetting(SettingsKeys::StayConnected, 0) != 0) {
        m_ui.Check1->setChecked(true);
        showStoredSignIn();
        m_ui.Text6->setText(
            m_secrets.read(SecretStore::appPasswordKey(user())).value_or(QString()));
    } else {
        m_ui.Check1->setChecked(false);
        forgetSignInBoxes();
    }
}

// Empties both sign-in boxes and forgets what was kept for them. An empty user box stores
// nothing, as its text did not change, and has no password kept under its name.
void SignInBoxes::forgetSignInBoxes()
{
    m_ui.Text6->clear();
    RemoveSetting(SettingsKeys::Password);
    if (user().isEmpty())
        return;
    forgetPassword(user());
    m_ui.Text7->clear();
    SaveSetting(SettingsKeys::User, QString());
}

// The secret store's copy, and the settings file's if an earlier version's is still there.
void SignInBoxes::forgetPassword(const QString &user)
{
    m_secrets.remove(SecretStore::appPasswordKey(user));
    RemoveSetting(SettingsKeys::Password);
}

void SignInBoxes::tellOnce(const QString &notice)
{
    if (m_toldSessionOnly || notice.isEmpty())
        return;
    m_toldSessionOnly = true;
    Prompts::inform(notice);
}

void SignInBoxes::enableAutoConnectAsRemembered() const
{
    m_ui.Check2->setEnabled(m_ui.Check1->isChecked());
}

void SignInBoxes::loadAutoConnect() const
{
    m_ui.Check2->setCheckState(
        checkStateFromNumber(ReadWholeNumberSetting(SettingsKeys::AutoConnect, 0)));
}

bool SignInBoxes::autoConnectChosen() const
{
    return m_ui.Check2->checkState() == Qt::Checked;
}

// The user name reaches the store only while "Remember me" is ticked.
void SignInBoxes::storeUser() const
{
    if (m_ui.Check1->isChecked())
        SaveSetting(SettingsKeys::User, user());
}

// Ticking keeps the user name; the password is kept when a sign-in with it starts. Clearing
// forgets both.
void SignInBoxes::storeRememberChoice()
{
    const bool ticked = m_ui.Check1->isChecked();
    SaveSetting(SettingsKeys::StayConnected, CheckForm(ticked));
    if (!ticked) {
        const QString storedUser = GetSetting(SettingsKeys::User);
        if (!storedUser.isEmpty() && storedUser != user())
            forgetPassword(storedUser);
        forgetPassword(user());
    }
    SaveSetting(SettingsKeys::User, ticked ? user() : QString());
    m_ui.Check2->setEnabled(ticked);
}

void SignInBoxes::rememberPasswordForSignIn()
{
    if (!m_ui.Check1->isChecked() || user().isEmpty() || password().isEmpty())
        return;
    if (m_secrets.write(SecretStore::appPasswordKey(user()), password())
        == SecretStore::Outcome::SessionOnly)
        tellOnce(m_secrets.sessionOnlyNotice());
}

void SignInBoxes::storeAutoConnect() const
{
    SaveSetting(SettingsKeys::AutoConnect, CheckForm(m_ui.Check2->isChecked()));
}

void SignInBoxes::clearUnlessRemembered() const
{
    if (m_ui.Check1->isChecked())
        return;
    m_ui.Text7->clear();
    m_ui.Text6->clear();
    SaveSetting(SettingsKeys::User, QString());
}

void SignInBoxes::showStoredRememberChoice() const
{
    m_ui.Check1->setChecked(ReadWholeNumberSetting(SettingsKeys::StayConnected, 0) != 0);
}
