#pragma once

#include "ImapReply.h"
#include "ImapResponseFramer.h"

#include <QAbstractSocket>
#include <QList>
#include <QObject>
#include <QSslError>

#include <memory>

class DeflateStream;

class ImapCommand;
class QSslSocket;
struct ServerAddress;

// One TLS connection to the server, driven by readyRead. Runs the greeting, then commands; a
// command may be sent while earlier ones are still answered (pipelining), and the replies are
// handed out oldest first. A FETCH reply goes to every FETCH still running (a server may
// interleave them), any other untagged reply to the oldest command still running.
// ImapWait waits for the oldest. Never blocks and never calls out into user code: its signals
// only wake the wait.
class ImapConnection final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImapConnection)

public:
    explicit ImapConnection(QObject *parent = nullptr);
    ~ImapConnection() override;

    // Connects with implicit TLS, verifying the certificate against `address.host`; the
    // greeting is the exchange that follows. Drops a connection that is still open.
    void open(const ServerAddress &address);
    // Sends `command` as the newest exchange. Only when open and canSendMore().
    void send(const ImapCommand &command);
    // The last command went out whole and leaves the stream as it was (no sign-in or switch to
    // compression still to be answered): another may follow before its reply.
    bool canSendMore() const;
    // Drops the connection at once; a running exchange ends with `end` and `reason`.
    void drop(ImapReply::End end, const QString &reason);
    // Sends LOGOUT without waiting and lets the socket close by itself.
    void logout();

    bool isOpen() const { return m_socket != nullptr; }
    // The oldest exchange, the one a wait returns, is still running.
    bool isRunning() const
    {
        return !m_exchanges.isEmpty() && m_exchanges.first().reply.end == ImapReply::End::Running;
    }
    // Some exchange is still running.
    bool hasOutstanding() const;
    // The oldest exchange once finished (and forgets it); a running one keeps running.
    ImapReply takeReply();
    // The command of the oldest or last exchange ("CONNECT" for the greeting).
    const QByteArray &runningCommand() const
    {
        return m_exchanges.isEmpty() ? m_lastTaken.commandName
                                     : m_exchanges.first().reply.commandName;
    }
    // "host:port" of the current or last connection.
    const QString &endpoint() const { return m_endpoint; }
    // Why the last connection ended (NotConnected before the first) and how that was described.
    ImapReply::End closedBecause() const { return m_closedBecause; }
    const QString &closedReason() const { return m_closedReason; }

    // The bytes the running exchange brought so far plus the sizes of the literals the server
    // announced in it: what a wait allows time for.
    qint64 announcedBytes() const
    {
        return m_exchanges.isEmpty()
            ? 0
            : m_framer.bytesSeenOrAnnounced() - m_exchanges.first().announcedBefore;
    }

    // Bytes read from the server (as they came over the wire, compressed or not) since this
    // object was made, over every connection it opened.
    qint64 bytesRead() const { return m_bytesRead; }

    // Held by ImapWait while it waits, so that a second wait is refused.
    bool isWaitedOn() const { return m_waitedOn; }
    void setWaitedOn(bool waited) { m_waitedOn = waited; }

Q_SIGNALS:
    void exchangeEnded();
    void bytesArrived();
    // Percent of the literal being received.
    void literalProgress(int percent);

private:
    struct Exchange
    {
        QByteArray tag; // empty for the greeting
        ImapReply reply;
        qint64 untaggedBytes = 0; // held for it
        qint64 announcedBefore = 0; // the framer's count when it was sent
    };

    Exchange *oldestRunning();
    Exchange *runningWithTag(const QByteArray &tag);
    void startExchange(const QByteArray &tag, const QByteArray &commandName);
    void readIncoming();
    void receive(const QByteArray &bytes);
    void receiveCompressed(const QByteArray &bytes);
    void takeResponses();
    QByteArray encoded(const QByteArray &bytes);
    void reportLiteralProgress();
    void handleResponse(const ImapResponse &response);
    void handleGreeting(const ImapResponse &response);
    void handleContinuation(const ImapResponse &response);
    void answerSaslChallenge(const ImapResponse &response);
    void handleTagged(const ImapResponse &response);
    void collectUntagged(const ImapResponse &response);
    void collectInto(Exchange &exchange, const ImapResponse &response);
    void handleDisconnected();
    void handleSocketError(QAbstractSocket::SocketError error);
    void handleSslErrors(const QList<QSslError> &errors);
    void finish(Exchange &exchange, ImapReply::End end, const QString &failure = {});
    void writePart(const QByteArray &part);
    QSslSocket *releaseSocket();
    QString serverClosedText() const;

    QSslSocket *m_socket = nullptr;
    ImapResponseFramer m_framer;
    QList<Exchange> m_exchanges; // oldest first, until taken
    ImapReply m_lastTaken;
    QList<QByteArray> m_pendingParts; // of the newest exchange
    int m_tagCounter = 0;
    bool m_awaitingGreeting = false;
    bool m_waitedOn = false;
    QString m_endpoint;
    ImapReply::End m_closedBecause = ImapReply::End::NotConnected;
    QString m_closedReason;
    QString m_tlsErrors;
    QByteArray m_byeText;
    int m_lastPercent = -1;
    qint64 m_bytesRead = 0;
    // After COMPRESS DEFLATE: every byte either way goes through this.
    std::unique_ptr<DeflateStream> m_compression;
    bool m_compressionAccepted = false; // the server's next byte is compressed
};
