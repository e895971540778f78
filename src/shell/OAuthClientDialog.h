#pragma once

#include <QDialog>

class QLineEdit;

// Where the user enters their own OAuth client (client ID and secret of a "Desktop app"
// client), with a short how-to. Kept in the settings: a desktop client's secret is no secret.
class OAuthClientDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OAuthClientDialog)

public:
    explicit OAuthClientDialog(QWidget *parent = nullptr);

    QLineEdit *clientIdBox() const { return m_clientId; }
    QLineEdit *clientSecretBox() const { return m_clientSecret; }

    static QString howToText();

    void accept() override;

private:
    QLineEdit *m_clientId;
    QLineEdit *m_clientSecret;
};
