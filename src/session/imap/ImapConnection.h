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

// One TLS connection to the server, driven by readyRead. Runs one exchange at a time (the
// greeting, then one command after another) and collects its replies; ImapWait waits for it.
// Never blocks and never calls out into user code: its signals only wake the wait.
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
    // Sends `command` as the new exchange. Only when open and no exchange is running.
    void send(const ImapCommand &command);
    // Drops the connection at once; a running exchange ends with `end` and `reason`.
    void drop(ImapReply::End end, const QString &reason);
    // Sends LOGOUT without waiting and lets the socket close by itself.
    void logout();

    bool isOpen() const { return m_socket != nullptr; }
    bool isRunning() const { return m_reply.end == ImapReply::End::Running; }
    // The finished exchange; a running one keeps running.
    ImapReply takeReply();
    // The command of the running or last exchange ("CONNECT" for the greeting).
    const QByteArray &runningCommand() const { return m_reply.commandName; }
    // "host:port" of the current or last connection.
    const QString &endpoint() const { return m_endpoint; }
    // Why the last connection ended (NotConnected before the first) and how that was described.
    ImapReply::End closedBecause() const { return m_closedBecause; }
    const QString &closedReason() const { return m_closedReason; }

    // The bytes the running exchange brought so far plus the sizes of the literals the server
    // announced in it: what a wait allows time for.
    qint64 announcedBytes() const
    {
        return m_framer.bytesSeenOrAnnounced() - m_announcedBeforeExchange;
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
    void handleDisconnected();
    void handleSocketError(QAbstractSocket::SocketError error);
    void handleSslErrors(const QList<QSslError> &errors);
    void finish(ImapReply::End end, const QString &failure = {});
    void writePart(const QByteArray &part);
    QSslSocket *releaseSocket();
    QString serverClosedText() const;

    QSslSocket *m_socket = nullptr;
    ImapResponseFramer m_framer;
    ImapReply m_reply;
    QList<QByteArray> m_pendingParts;
    QByteArray m_tag;
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
    qint64 m_untaggedBytes = 0; // held for the running exchange
    qint64 m_announcedBeforeExchange = 0;
    // After COMPRESS DEFLATE: every byte either way goes through this.
    std::unique_ptr<DeflateStream> m_compression;
    bool m_compressionAccepted = false; // the server's next byte is compressed
};
