#pragma once

#include <QString>

#include <memory>

class Form1;
class clsImapSession;
class Steps;

// The connect button (PushButton17): signing in and reading the folder names, or disconnecting
// and putting the window back as it was, each piece a numbered step of "Form1.PushButton17_Click".
class ConnectSequence
{
public:
    static inline const QString ConnectCaption = QStringLiteral("1. Connect");

    explicit ConnectSequence(Form1 &window) : m_window(window) { }

    void click();
    bool connecting() const { return m_connecting; }
    // Connected, or the user is told to connect first.
    bool connectedElseSay() const;
    std::shared_ptr<clsImapSession> newSession() const;

private:
    void connectToServer(Steps &steps);
    void showConnected(Steps &steps);
    void disconnectFromServer(Steps &steps);
    void finishDisconnect(Steps &steps);

    Form1 &m_window;
    bool m_connecting = false;
};
