#pragma once

#include "ImapConnection.h"
#include "ImapCredentials.h"
#include "ImapReply.h"
#include "ServerAddress.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ImapCommand;

// The one way to the server: the connection, the one wait, the commands in flight, connection
// reuse and the reconnect policy. Everything above it (the component, the fetchers) runs commands
// here and never reconnects by itself.
//
// Up to maxStarted commands may be started and left in flight (fetching ahead), each awaited in
// the order started; running any other command first waits for them and discards their replies,
// and the epoch moves on so their starter knows its state is stale. A new selection, a reconnect
// and a close move the epoch on as well.
class ImapChannel
{
public:
    struct Hooks
    {
        std::function<bool()> abortRequested;
        std::function<void(int)> progress;
    };

    explicit ImapChannel(Hooks hooks);
    ~ImapChannel();
    Q_DISABLE_COPY_MOVE(ImapChannel)

    void setServerOverride(const ServerOverride &server) { m_server = server; }
    void setTimeoutMs(int milliseconds);
    // The pauses before the first, second and third reconnect of one operation.
    void setReconnectPauses(const QList<int> &milliseconds) { m_pausesMs = milliseconds; }

    // Opens a new connection to `host`:`port` (or the override) and waits for the greeting.
    ImapReply open(const QString &host, int port);
    // Keeps a signed-in idle connection to the same server for the next sign-in as the same user.
    bool keepForReuse(const QString &host, int port);
    void close();
    // Forgets sign-in, selection and what a reconnect would replay; the connection stays as it is.
    void forgetSession();

    // Sends and waits; a kept connection that died while idle is replaced first.
    ImapReply run(const ImapCommand &command);
    // As run, and after a lost connection signs in again and re-selects, then runs it once more
    // (at most ImapReply::maxReconnects reconnects).
    ImapReply runResuming(const ImapCommand &command);
    // A line written by the caller. Sent before sign-in (the identification), it is replayed on
    // every reconnect, and a connection kept for reuse answers it again from what the server
    // said the first time: the server hears it once per connection.
    ImapReply runRawLine(const QByteArray &line);
    // As runResuming, counting reconnects in `attempts` across one operation (a message fetched
    // in several tries); `wayBackFailed` tells a failed reconnect from the command's own reply.
    ImapReply runResuming(const ImapCommand &command, int &attempts, bool &wayBackFailed);
    bool isSignedIn() const { return m_credentials != nullptr; }
    QString signedInUser() const { return m_signedInAs ? m_signedInAs->user : QString(); }

    // Signs in (LOGIN, or AUTHENTICATE XOAUTH2 for a token), then switches compression on where
    // the server offers it. Signing in again as the same user on a kept connection costs nothing.
    // `linesFirst` (the identification) go out in the same flight, before the sign-in command,
    // and are kept as runRawLine keeps a line sent before sign-in; a kept connection that
    // answered them already is not asked again. When one of them got no answer, its reply is
    // returned and lineBeforeSignInFailed() says so.
    ImapReply signIn(std::shared_ptr<ImapCredentials> credentials,
                     const QByteArrayList &linesFirst = {});
    bool lineBeforeSignInFailed() const { return m_lineBeforeSignInFailed; }
    // `mayReuse`: the caller counted this mailbox on this connection just before (signing in
    // again between), so an untouched selection stands in for a new one, once.
    ImapReply select(const QString &mailbox, bool mayReuse = false);
    // As select, with `behind` sent in the same flight right after the EXAMINE: they run on the
    // new selection, or are refused without one. Their replies go to `replies`, which stays empty
    // when the selection was reused or the connection dropped (the selection is then made again
    // on its own).
    ImapReply select(const QString &mailbox, bool mayReuse, const QList<ImapCommand> &behind,
                     QList<ImapReply> &replies);
    bool hasSelection() const { return m_selected.has_value(); }
    int messageCount() const { return m_messageCount; }
    // The selected mailbox's name and UIDVALIDITY (0 when the server named none).
    QString selectedMailbox() const { return m_selected.value_or(QString()); }
    quint32 uidValidity() const { return m_uidValidity; }
    // Moves on with every selection the server was asked for; a reconnect's re-selection of the
    // same mailbox keeps it (the UIDVALIDITY tells whether UIDs still hold).
    quint64 selection() const { return m_selection; }
    // What the last command learnt is as current as the selection before it (the list of the
    // mailbox's messages): signing in again on this connection need not select again.
    void noteSelectionCurrent() { m_selectionUntouched = m_selected.has_value(); }
    // The server listed `capability` in its greeting or its answer to the sign-in.
    bool offers(const QByteArray &capability) const;
    // Bytes read from the server since this channel was made, over every connection.
    qint64 bytesRead() const { return m_connection.bytesRead(); }
    // How many replies so far carried [THROTTLED]: the server is slowing this connection down.
    int throttledCount() const { return m_throttled; }

    static constexpr int maxStarted = 2;
    // For fetching ahead: sends without waiting (false when there is no connection or
    // maxStarted commands are in flight); awaitStarted waits for the oldest started command.
    // `expectedBytes` stretches the reply's overall deadline for a large batch.
    bool start(const ImapCommand &command, qint64 expectedBytes = 0);
    ImapReply awaitStarted();
    bool hasStarted() const { return !m_started.isEmpty(); }
    int startedCount() const { return int(m_started.size()); }
    quint64 epoch() const { return m_epoch; }
    // After `lost` ended an exchange: pauses, then reconnects, counting attempts in `attempts`
    // across one operation. Returns the OK of the re-selection (or sign-in), or why it could not
    // come back; a stop request during a pause ends it at once (Aborted).
    ImapReply recover(const ImapReply &lost, int &attempts);

private:
    ImapReply wait();
    ImapReply send(const ImapCommand &command);
    QList<ImapReply> runInOneFlight(const QList<ImapCommand> &commands);
    ImapReply notOpenReply() const;
    void settleStarted();
    ImapReply connectToServer();
    ImapReply reconnect();
    ImapReply connectAndReplay();
    ImapReply signInOnce(const ImapSignIn &signIn, const QByteArrayList &linesFirst = {});
    ImapReply runLinesOnKeptConnection(const QByteArrayList &lines);
    QByteArrayList unansweredLines(const QByteArrayList &lines) const;
    bool canReuseFor(const ImapCredentials &credentials) const;
    void noteMailboxData(const ImapReply &reply);
    void noteCapabilities(const ImapReply &reply);
    bool pauseBeforeReconnect(int attempt);

    Hooks m_hooks;
    ImapConnection m_connection;
    ServerOverride m_server;
    int m_timeoutMs;
    QString m_host;
    int m_port = 993;
    QList<qint64> m_started; // the bytes each started command expects, oldest first
    qint64 m_expectedBytes = 0; // of the reply being waited for
    quint64 m_epoch = 0;
    int m_messageCount = 0;
    quint32 m_uidValidity = 0;
    quint64 m_selection = 0;
    QByteArrayList m_capabilities;
    int m_throttled = 0;
    QList<int> m_pausesMs {2000, 4000, 8000};

    // What a reconnect replays to get back to where the server dropped us, with the answers the
    // current connection gave.
    QList<std::pair<QByteArray, ImapReply>> m_linesBeforeSignIn;
    std::shared_ptr<ImapCredentials> m_credentials;
    std::optional<ImapSignIn> m_signedInAs;
    ImapReply m_greeting; // its capabilities say whether a SASL response may ride on the command
    std::optional<QString> m_selected;
    // A connection kept signed in across open(): who it is signed in as, and what it had selected.
    std::optional<ImapSignIn> m_reusable;
    std::optional<QString> m_reusableSelection;
    bool m_selectionKept = false; // signed in again on a kept connection that had a selection
    bool m_selectionUntouched = false; // no command went out since the last EXAMINE
    bool m_lineBeforeSignInFailed = false;
};
