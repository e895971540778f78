#pragma once

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The choice in the "Gmail Login" frame between an app password and "Sign in with Google", and
// the button for the user's own OAuth client. Kept in the setting "SignInMethod".
class SignInChoice final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignInChoice)

public:
    enum class Method { AppPassword, Google };

    explicit SignInChoice(QWidget *parent = nullptr);

    Method method() const;
    void setMethod(Method method);
    // The password box is only used with an app password.
    void attachPasswordBox(QLabel *label, QLineEdit *box);
    // In tab order.
    QList<QWidget *> focusOrder() const;

    QRadioButton *appPasswordButton() const { return m_appPassword; }
    QRadioButton *googleButton() const { return m_google; }
    QPushButton *clientButton() const { return m_client; }

    static Method storedMethod();

Q_SIGNALS:
    void methodChanged(SignInChoice::Method method);

private:
    void chosen();
    void editClient();

    QRadioButton *m_appPassword;
    QRadioButton *m_google;
    QPushButton *m_client;
    QLabel *m_passwordLabel = nullptr;
    QLineEdit *m_passwordBox = nullptr;
};
