#include "SignInChoice.h"

#include "OAuthClientDialog.h"
#include "SettingsStore.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString methodKey = QStringLiteral("SignInMethod");
const QString googleValue = QStringLiteral("oauth2");
const QString passwordValue = QStringLiteral("password");

} // namespace

SignInChoice::SignInChoice(QWidget *parent)
    : QWidget(parent),
      m_appPassword(new QRadioButton(QStringLiteral("App password"), this)),
      m_google(new QRadioButton(QStringLiteral("Sign in with Google"), this)),
      m_client(new QPushButton(QStringLiteral("Client..."), this))
{
    setObjectName(QStringLiteral("signInChoice"));
    m_appPassword->setObjectName(QStringLiteral("appPasswordChoice"));
    m_google->setObjectName(QStringLiteral("googleChoice"));
    m_client->setObjectName(QStringLiteral("googleClientButton"));
    m_client->setAccessibleName(QStringLiteral("Your Google OAuth client"));
    m_client->setToolTip(QStringLiteral("The client ID \"Sign in with Google\" uses"));
    m_client->setAutoDefault(false);
    auto *group = new QButtonGroup(this);
    group->addButton(m_appPassword);
    group->addButton(m_google);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_appPassword);
    row->addWidget(m_google);
    row->addWidget(m_client);
    row->addStretch(1);
    setMethod(storedMethod());
    connect(m_appPassword, &QRadioButton::toggled, this, &SignInChoice::chosen);
    connect(m_client, &QPushButton::clicked, this, &SignInChoice::editClient);
}

SignInChoice::Method SignInChoice::storedMethod()
{
    return GetSetting(methodKey) == googleValue ? Method::Google : Method::AppPassword;
}

SignInChoice::Method SignInChoice::method() const
{
    return m_google->isChecked() ? Method::Google : Method::AppPassword;
}

void SignInChoice::setMethod(Method method)
{
    (method == Method::Google ? m_google : m_appPassword)->setChecked(true);
    m_client->setEnabled(method == Method::Google);
    if (m_passwordBox) {
        m_passwordBox->setEnabled(method == Method::AppPassword);
        m_passwordLabel->setEnabled(method == Method::AppPassword);
    }
}

void SignInChoice::attachPasswordBox(QLabel *label, QLineEdit *box)
{
    m_passwordLabel = label;
    m_passwordBox = box;
    setMethod(method());
}

QList<QWidget *> SignInChoice::focusOrder() const
{
    return {m_appPassword, m_google, m_client};
}

void SignInChoice::chosen()
{
    const Method now = method();
    setMethod(now);
    SaveSetting(methodKey, now == Method::Google ? googleValue : passwordValue);
    Q_EMIT methodChanged(now);
}

void SignInChoice::editClient()
{
    OAuthClientDialog dialog(window());
    dialog.exec();
}
