#pragma once

#include "SecretStore.h"

#include <QObject>
#include <QString>

class QLineEdit;
struct Form1Controls;

// The user name and password boxes (Text7, Text6) with "Remember me" (Check1) and "Connect at
// start" (Check2): what reaches the settings store and when, and what the boxes show at load.
// A remembered password lives in the secret store, never in the settings file.
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

    // At load: a password an earlier version kept in the settings file goes to the secret store
    // (or, without one, stays there and the user is told).
    void moveStoredPassword();
    // At load: the stored user name, then the remembered sign-in or none, then the AutoConnect box.
    void showStoredSignIn() const;
    void loadRememberedSignIn();
    void enableAutoConnectAsRemembered() const;
    void loadAutoConnect() const;
    bool autoConnectChosen() const;

    // The boxes' and check boxes' own changes.
    void storeUser() const;
    void storeRememberChoice();
    void storeAutoConnect() const;
    // A sign-in with the password starts: while "Remember me" is ticked, the password is kept.
    void rememberPasswordForSignIn();

    // At disconnect: a sign-in not to be remembered goes from the boxes and the store.
    void clearUnlessRemembered() const;
    void showStoredRememberChoice() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void forgetSignInBoxes();
    void forgetPassword(const QString &user);
    // Tells the user, once per window, that no secret store answered.
    void tellOnce(const QString &notice);

    const Form1Controls &m_ui;
    SecretStore m_secrets;
    bool m_toldSessionOnly = false;
};
