#include "SignInBoxes.h"

#include "Form1Controls.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "StepFailure.h"

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

void SignInBoxes::showStoredSignIn() const
{
    m_ui.Text7->setText(GetSetting(SettingsKeys::User));
    m_ui.Text6->setText(GetSetting(SettingsKeys::Password));
}

void SignInBoxes::loadRememberedSignIn() const
{
    if (ReadWholeNumberSetting(SettingsKeys::StayConnected, 0) != 0) {
        m_ui.Check1->setChecked(true);
        showStoredSignIn();
    } else {
        m_ui.Check1->setChecked(false);
        forgetSignInBoxes();
    }
}

// Empties both sign-in boxes and forgets what the store held for them. A box that was empty
// already stores nothing, as its text did not change.
void SignInBoxes::forgetSignInBoxes() const
{
    for (const auto &[box, key] : {std::pair {m_ui.Text7, SettingsKeys::User},
                                   std::pair {m_ui.Text6, SettingsKeys::Password}}) {
        if (box->text().isEmpty())
            continue;
        box->clear();
        SaveSetting(key, QString());
    }
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

// The sign-in boxes reach the store only while "Remember me" is ticked.
void SignInBoxes::storeBox(const QLineEdit *box, const QString &key) const
{
    if (m_ui.Check1->isChecked())
        SaveSetting(key, box->text());
}

void SignInBoxes::storeUser() const
{
    storeBox(m_ui.Text7, SettingsKeys::User);
}

void SignInBoxes::storePassword() const
{
    storeBox(m_ui.Text6, SettingsKeys::Password);
}

void SignInBoxes::storeRememberChoice() const
{
    const bool ticked = m_ui.Check1->isChecked();
    SaveSetting(SettingsKeys::StayConnected, CheckForm(ticked));
    SaveSetting(SettingsKeys::User, ticked ? user() : QString());
    SaveSetting(SettingsKeys::Password, ticked ? password() : QString());
    m_ui.Check2->setEnabled(ticked);
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
    SaveSetting(SettingsKeys::Password, QString());
}

void SignInBoxes::showStoredRememberChoice() const
{
    m_ui.Check1->setChecked(ReadWholeNumberSetting(SettingsKeys::StayConnected, 0) != 0);
}
