#pragma once

#include <QString>

#include <memory>

class Form1;
class ImapCredentials;
class SecretStore;
class clsImapSession;
class Steps;

// The connect button (PushButton17): signing in and reading the folder names, or disconnecting
// and putting the window back as it was, each piece a numbered step of "Form1.PushButton17_Click".
class ConnectSequence
{
public:
    static inline const QString ConnectCaption = QStringLiteral("1. Connect");

    explicit ConnectSequence(Form1 &window);
    ~ConnectSequence();
    Q_DISABLE_COPY_MOVE(ConnectSequence)

    void click();
    bool connecting() const { return m_connecting; }
    // Connected, or the user is told to connect first.
    bool connectedElseSay() const;
    std::shared_ptr<clsImapSession> newSession();

private:
    bool googleChosen() const;
    void connectToServer(Steps &steps);
    void showConnected(Steps &steps);
    void disconnectFromServer(Steps &steps);
    void finishDisconnect(Steps &steps);
    std::shared_ptr<ImapCredentials>
    googleCredentials(const std::weak_ptr<clsImapSession> &session);

    Form1 &m_window;
    bool m_connecting = false;
    std::unique_ptr<SecretStore> m_secrets; // made on the first Google sign-in
};
