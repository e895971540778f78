#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
struct Form1Controls;

// The user name and password boxes (Text7, Text6) with "Remember me" (Check1) and "Connect at
// start" (Check2): what reaches the settings store and when, and what the boxes show at load.
class SignInBoxes final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignInBoxes)

public:
    explicit SignInBoxes(const Form1Controls &ui, QObject *parent = nullptr);

    // Select the whole text whenever a box gets the focus.
    void selectAllOnFocus();

    QString user() const;
    QString password() const;

    // At load: the stored sign-in, then the remembered one or none, then the AutoConnect box.
    void showStoredSignIn() const;
    void loadRememberedSignIn() const;
    void enableAutoConnectAsRemembered() const;
    void loadAutoConnect() const;
    bool autoConnectChosen() const;

    // The boxes' and check boxes' own changes.
    void storeUser() const;
    void storePassword() const;
    void storeRememberChoice() const;
    void storeAutoConnect() const;

    // At disconnect: a sign-in not to be remembered goes from the boxes and the store.
    void clearUnlessRemembered() const;
    void showStoredRememberChoice() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void storeBox(const QLineEdit *box, const QString &key) const;
    void forgetSignInBoxes() const;

    const Form1Controls &m_ui;
};
