#pragma once

#include <QString>

#include <memory>

class ImapComponent;
class clsImapSession;

// The set-up of a run that the window and the command line share: a session over the component
// signed in to the provider's server, the count of the folder, then every message of it. Each
// piece is its own call so that the window can number them as steps.
class MailRun
{
public:
    static constexpr const char *ProviderHost = "imap.gmail.com";
    static constexpr int ProviderPort = 993;

    // A session lent `component`, pointed at the provider's server (encrypted) as `user`.
    static std::shared_ptr<clsImapSession> newSession(ImapComponent *component, const QString &user,
                                                      const QString &password);
    // Selects the folder and sets the run to go from its first message to its last.
    static void countFolder(clsImapSession &session, const QString &folderName);
    // Reads every counted message; false when the folder holds none (nothing is read).
    static bool readFolder(clsImapSession &session, const QString &folderName);
};
