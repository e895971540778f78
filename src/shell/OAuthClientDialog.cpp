#include "OAuthClientDialog.h"

#include "ApplicationTitle.h"
#include "OAuthClient.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

OAuthClientDialog::OAuthClientDialog(QWidget *parent)
    : QDialog(parent), m_clientId(new QLineEdit(this)), m_clientSecret(new QLineEdit(this))
{
    setObjectName(QStringLiteral("OAuthClientDialog"));
    setWindowTitle(ApplicationTitle());
    auto *howTo = new QLabel(howToText(), this);
    howTo->setWordWrap(true);
    howTo->setTextFormat(Qt::PlainText);
    howTo->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_clientId->setObjectName(QStringLiteral("clientIdBox"));
    m_clientId->setAccessibleName(QStringLiteral("Client ID"));
    m_clientSecret->setObjectName(QStringLiteral("clientSecretBox"));
    m_clientSecret->setAccessibleName(QStringLiteral("Client secret"));
    const OAuthClient client = OAuthClient::fromSettings();
    m_clientId->setText(client.clientId);
    m_clientSecret->setText(client.clientSecret);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Client &ID:"), m_clientId);
    fields->addRow(QStringLiteral("Client &secret:"), m_clientSecret);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *column = new QVBoxLayout(this);
    column->addWidget(howTo);
    column->addLayout(fields);
    column->addWidget(buttons);
}

QString OAuthClientDialog::howToText()
{
    return QStringLiteral(
        "\"Sign in with Google\" needs an OAuth client of your own; this software ships none.\n"
        "1. At https://console.cloud.google.com/ create a project and enable the Gmail API.\n"
        "2. Set up its consent screen (Google Auth Platform): add yourself as a test user, or "
        "on a Google Workspace account choose Internal.\n"
        "3. Under Clients, create a client of type \"Desktop app\" and copy its client ID and "
        "client secret here.\n"
        "While the project is in Testing, Google ends the sign-in after 7 days; then sign in "
        "with Google again.");
}

void OAuthClientDialog::accept()
{
    OAuthClient::saveToSettings(m_clientId->text(), m_clientSecret->text());
    QDialog::accept();
}
