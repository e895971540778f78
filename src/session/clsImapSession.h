#pragma once

#include "ListedFolder.h"
#include "MailListing.h"
#include "RunSummary.h"
#include "SystemFolders.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class ImapComponent;
class ImapCredentials;
struct MailMessage;

// Filled by EnumMailFolders. Entries 1..7 are the captions of the system-folder buttons Option4 to
// Option10: the server's own name of each (its last segment), empty when it does not list it.
extern std::array<QString, 8> gmailFolderNames;
// Every listed mailbox that can be opened, except "INBOX" and the system folders.
extern QStringList mailboxLabels;
// Which mailbox each system-folder button opens.
extern SystemFolders gmailSystemFolders;

// One signed-in connection to the mailbox over a lent ImapComponent. Held by std::shared_ptr;
// every method that can re-enter the event loop keeps the session alive for its duration.
class clsImapSession final : public QObject, public std::enable_shared_from_this<clsImapSession>
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(clsImapSession)

public:
    static std::shared_ptr<clsImapSession> create();
    ~clsImapSession() override;

    bool AbortProcess = false;

    QString Username;
    QString Password;
    // When set, the sign-in goes through these instead of Username and Password.
    std::shared_ptr<ImapCredentials> Credentials;
    QString IMAPServer;
    bool SSL = false;
    int PORT = 0;
    int CurrentLocation = 0;
    int MaxRecord = 0;
    // When set, a run reads only the messages this search (Gmail's syntax) finds in the folder.
    QString SearchText;

    ImapComponent *ImapComponentObject() const;
    void setImapComponentObject(ImapComponent *component);

    bool Connect();
    void GetLastError();
    int GetTotalMessage(const QString &FolderName);
    std::optional<FolderListing> EnumMailFolders();
    void StartMailExtraction(const QString &FolderName);
    void StartExtraction(const QString &FolderName, const QString &ExtractType);
    void AppendErrorLog();

    // The operation whose failure GetLastError reported last; None when the latest Connect or
    // GetTotalMessage found nothing to report. Lets a caller without a person (the command line)
    // tell a refused sign-in from an unreachable server.
    enum class FailedStep { None, Connection, Identification, SignIn, Mailbox, Listing, Search };
    FailedStep LastFailedStep() const;

    // True when the last retrieval loop ended because the server connection was gone for good
    // (the component's own reconnecting had failed), not because it was complete or stopped.
    bool ConnectionLost() const;
    // The sequence number whose fetch found the connection gone; 0 when it was not lost.
    int ConnectionLostAt() const;
    // How the last retrieval loop ended: messages skipped and why, where and why it stopped.
    const RunSummary &LastRunSummary() const;

    // Handlers of the lent component's events, connected by every component-using method.
    void ImapComponent1_AbortCheck(int &abort);
    void ImapComponent1_PercentDone(int percent);

Q_SIGNALS:
    void ScrapAddressListing(const QString &EmailAddress);
    void MailExtractListing(MailListing &listing);
    void ScrapProgress(int &percent);
    // The server said it is slowing this connection down; the run goes on.
    void ServerSlowing();

private:
    clsImapSession();

    ImapComponent &pointEventsAtLentComponent();
    ImapComponent &eventComponent() const;
    void releaseEvents();
    std::optional<FolderListing> listAndSortFolders();
    bool signInAndSelect(const QString &folderName);
    void readMessages(const QString &folderName,
                      const std::function<void(int, const MailMessage &)> &use);
    std::optional<MailMessage> fetchAndLog(int number);
    bool stopAfterFailedFetch(int number);
    bool stopAtMailboxEnd(int number);
    void noteThrottling();
    void scrapeAddresses(const QString &text);

    struct Private;
    std::unique_ptr<Private> d;
};
