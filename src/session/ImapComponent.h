#pragma once

#include "ListedFolder.h"
#include "MailMessage.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ImapCredentials;
class MessageStore;
struct ServerOverride;

// The IMAP client the session drives: status 1 means success, anything else failure, and
// FailureText() names the cause. Every operation waits in a local event loop that lets user
// input through; meanwhile AbortCheck (at least every 100 ms) and PercentDone are raised.
// An event handler may even delete the component meanwhile: the operation then ends as failed.
class ImapComponent final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImapComponent)

public:
    explicit ImapComponent(QObject *parent = nullptr);
    ~ImapComponent() override;

    void SetEncryption(bool encrypted);
    void SetPort(int port);
    // Connects to `host` (the port set before), or to the server override when one is set.
    // Certificates are always verified. A connection to the same server that is signed in and
    // idle is kept; signing in on it as the same user then succeeds at once, as another user
    // opens a new connection.
    int OpenHost(const QString &host);
    // Sends one command line (the tag is added) and returns the reply lines up to and including
    // the tagged completion, joined with CR LF; empty when nothing usable came back.
    QString SendRawLine(const QString &commandLine);
    // Has `commandLine` (the identification) sent with the next SignIn or SignInWith, in the same
    // flight, ahead of the sign-in command; a connection kept signed in that heard it already
    // answers it from then. 0 (with FailureText) when it is not one command line.
    int SendWithSignIn(const QString &commandLine);
    // The last sign-in failed because the line sent with it got no answer (not the sign-in).
    bool LineWithSignInFailed() const;
    int SignIn(const QString &user, const QString &password);
    // Signs in as the credentials say (an app password, or an OAuth token asked for afresh at
    // every sign-in and reconnect); they must outlive the connection.
    int SignInWith(std::shared_ptr<ImapCredentials> credentials);
    // Selects read-only; the empty name is the inbox. A run that follows its own count of the
    // same mailbox on a kept connection passes `afterItsCount` to reuse that selection.
    int OpenMailbox(const QString &mailbox, bool afterItsCount = false);
    // As OpenMailbox for a count that a run's estimate follows: with nothing held and the whole
    // mailbox wanted (no `searchFollows`), its list and every message's size come in the same
    // flight as the selection.
    int CountMailbox(const QString &mailbox, bool searchFollows);
    // The messages of the selected mailbox, or of the matches once narrowed.
    int MessageCount() const;
    // Narrows the selected mailbox to what `search` (Gmail's search syntax) finds there, until
    // another mailbox is selected or the search is empty; the count and the positions of
    // FetchMessage are then those of the matches. Fails with FailureText when the server cannot
    // run the search, or (without Gmail's extensions) names a part it has no translation for.
    int NarrowTo(const QString &search);
    // `byUid` is always false in this program: `number` is the position in the mailbox (or in
    // the matches), fixed by the UIDs the server listed at the run's first fetch, so that a
    // message deleted meanwhile shifts nothing. Messages asked for in order are fetched ahead
    // by UID, and only their text parts: the HTML part of a message that has a plain one too
    // only after SetFetchHtmlBodies(true). What this session fetched before is not downloaded
    // again.
    std::optional<MailMessage> FetchMessage(int number, bool byUid);
    // Why the last FetchMessage gave no message, and whether the next would fare any better.
    enum class FetchFailureKind {
        None,
        Message, // tied to that one message (refused, left out, unreadable): skip it
        ServerLimit, // the server refused for a reason that repeats (a daily limit, an alert)
        Connection, // lost for good, timed out, or an unreadable reply: nothing more will come
        Stopped, // a stop request
        MailboxEnded, // the server holds no message from that number on, whatever it counted
    };
    FetchFailureKind LastFetchFailure() const;
    // How many replies so far said the server is slowing this connection down.
    int ThrottledCount() const;
    void SetFetchHtmlBodies(bool fetch);
    // The mailboxes in server order, names decoded; nullopt when the listing failed.
    std::optional<FolderListing> ListFolders(const QString &reference, const QString &pattern);
    QString FailureText() const;
    // The last operation that failed was refused (the server's NO or BAD, or nothing to sign in
    // with) rather than failing on the way: no connection, a dropped one, a timeout, an
    // unreadable reply.
    bool ServerAnswered() const;
    // Forgets the connection and everything this session fetched.
    int CloseConnection();

    // Bytes read from the server since the component was made.
    qint64 DownloadedBytes() const;
    // Bytes a run over positions first..last would download, leaving out what is held; nullopt
    // (with FailureText) when the server could not say.
    std::optional<qint64> EstimateDownload(int first, int last);
    // A store consulted after the session's memory; every fetched batch is kept there too.
    void SetLocalCopy(std::shared_ptr<MessageStore> store);
    // Bytes of fetched mail this session keeps in memory (a quarter of memory, at most 1 GB).
    void setMemoryBound(qint64 bytes);

    // Another server than the one OpenHost names (tests, the demo, the command line's --host).
    void setServerOverride(const ServerOverride &server);
    // Longest wait without a byte from the server.
    void setTimeoutMs(int milliseconds);
    // The pauses before the first, second and third reconnect (2, 4 and 8 seconds unless set).
    void setReconnectPauses(const QList<int> &milliseconds);
    // How far ahead messages are fetched: bytes held, and body structures asked for at a time.
    void setFetchAheadLimits(qint64 bufferBytes, int firstWindow, int window);

Q_SIGNALS:
    // A handler that sets `abort` to non-zero asks the running operation to give up.
    void AbortCheck(int &abort);
    void PercentDone(int percent);

private:
    struct Private;
    template<typename Result, typename Work> Result operate(Result refused, Work work);

    // Shared with each running operation, which keeps it alive for the length of its wait.
    std::shared_ptr<Private> d;
};
