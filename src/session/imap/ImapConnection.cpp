#include "ImapConnection.h"

#include "ControlText.h"
#include "DeflateStream.h"
#include "ImapCommand.h"
#include "ImapLimits.h"
#include "ImapParseError.h"
#include "ServerAddress.h"
#include "XOAuth2.h"

#include <QLoggingCategory>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>

Q_LOGGING_CATEGORY(lcImap, "tessaline.imap", QtWarningMsg)

namespace {

// How long a polite LOGOUT may keep a socket alive after the connection was given up.
constexpr int logoutGraceMs = 3000;
// Compressed input is inflated this much at a time, so that a few bytes that inflate to a
// flood meet the framer's limits before they fill memory.
constexpr qsizetype inflateStepBytes = 256 * 1024;

qint64 heldBytes(const QByteArray &bytes)
{
    return bytes.isNull() ? 0 : bytes.capacity() + ImapLimits::allocationOverheadBytes;
}

qint64 heldBytes(const QList<ImapValue> &values)
{
    if (values.isEmpty())
        return 0;
    qint64 held =
        values.capacity() * qint64(sizeof(ImapValue)) + ImapLimits::allocationOverheadBytes;
    for (const ImapValue &value : values)
        held += heldBytes(value.bytes()) + heldBytes(value.items());
    return held;
}

// Memory a parsed reply keeps, its own slot in the reply list aside. Shared bytes are counted
// each time they are referred to: an overestimate, never an underestimate.
qint64 heldBytes(const ImapResponse &response)
{
    return heldBytes(response.tag) + heldBytes(response.name) + heldBytes(response.code)
        + heldBytes(response.text) + heldBytes(response.raw) + heldBytes(response.values);
}

QByteArray loggable(const QByteArray &raw)
{
    const qsizetype lineEnd = raw.indexOf("\r\n");
    return (lineEnd < 0 ? raw : raw.left(lineEnd)).left(200);
}

} // namespace

ImapConnection::ImapConnection(QObject *parent) : QObject(parent)
{
    m_lastTaken.end = ImapReply::End::NotConnected;
}

ImapConnection::~ImapConnection() = default;

void ImapConnection::open(const ServerAddress &address)
{
    if (m_socket)
        drop(ImapReply::End::ClosedByClient, QStringLiteral("the connection was replaced"));
    m_endpoint = QStringLiteral("%1:%2").arg(address.host).arg(address.port);
    m_framer.clear();
    m_pendingParts.clear();
    m_tlsErrors.clear();
    m_byeText.clear();
    m_tagCounter = 0;
    m_lastPercent = -1;
    m_awaitingGreeting = true;
    m_exchanges.clear();
    startExchange({}, "CONNECT");
    m_compression.reset();
    m_compressionAccepted = false;

    m_socket = new QSslSocket(this);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    if (!address.extraAuthorities.isEmpty())
        configuration.addCaCertificates(address.extraAuthorities);
    m_socket->setSslConfiguration(configuration);
    connect(m_socket, &QSslSocket::readyRead, this, &ImapConnection::readIncoming);
    connect(m_socket, &QSslSocket::disconnected, this, &ImapConnection::handleDisconnected);
    connect(m_socket, &QSslSocket::errorOccurred, this, &ImapConnection::handleSocketError);
    connect(m_socket, &QSslSocket::sslErrors, this, &ImapConnection::handleSslErrors);
    connect(m_socket, &QSslSocket::encrypted, this, &ImapConnection::bytesArrived);
    qCDebug(lcImap) << "connecting to" << m_endpoint;
    m_socket->connectToHostEncrypted(address.host, address.port);
}

void ImapConnection::send(const ImapCommand &command)
{
    Q_ASSERT(m_socket && canSendMore());
    const QByteArray tag = 'a' + QByteArray::number(++m_tagCounter);
    startExchange(tag, command.name());
    m_pendingParts = command.wireParts(tag);
    qCDebug(lcImap).noquote() << "C:" << command.logText(tag);
    writePart(m_pendingParts.takeFirst());
}

void ImapConnection::startExchange(const QByteArray &tag, const QByteArray &commandName)
{
    Exchange exchange;
    exchange.tag = tag;
    exchange.reply.commandName = commandName;
    exchange.announcedBefore = m_framer.bytesSeenOrAnnounced();
    m_exchanges.append(exchange);
}

// Sign-in and COMPRESS change what the stream carries once answered: nothing may follow them
// before that. A command still sending its literals keeps the line to itself.
bool ImapConnection::canSendMore() const
{
    if (!m_socket || m_awaitingGreeting || !m_pendingParts.isEmpty())
        return false;
    for (const Exchange &exchange : m_exchanges) {
        const QByteArray &name = exchange.reply.commandName;
        if (exchange.reply.end == ImapReply::End::Running
            && (name == "LOGIN" || name == "AUTHENTICATE" || name == "COMPRESS"))
            return false;
    }
    return true;
}

bool ImapConnection::hasOutstanding() const
{
    return std::any_of(m_exchanges.cbegin(), m_exchanges.cend(), [](const Exchange &exchange) {
        return exchange.reply.end == ImapReply::End::Running;
    });
}

ImapConnection::Exchange *ImapConnection::oldestRunning()
{
    for (Exchange &exchange : m_exchanges) {
        if (exchange.reply.end == ImapReply::End::Running)
            return &exchange;
    }
    return nullptr;
}

ImapConnection::Exchange *ImapConnection::runningWithTag(const QByteArray &tag)
{
    for (Exchange &exchange : m_exchanges) {
        if (exchange.reply.end == ImapReply::End::Running && exchange.tag == tag)
            return &exchange;
    }
    return nullptr;
}

void ImapConnection::writePart(const QByteArray &part)
{
    const QByteArray bytes = encoded(part);
    if (bytes.isEmpty() || m_socket->write(bytes) != bytes.size())
        drop(ImapReply::End::ConnectionLost, m_socket->errorString());
}

QByteArray ImapConnection::encoded(const QByteArray &bytes)
{
    if (!m_compression)
        return bytes;
    return m_compression->compress(bytes).value_or(QByteArray());
}

void ImapConnection::drop(ImapReply::End end, const QString &reason)
{
    if (QSslSocket *socket = releaseSocket()) {
        socket->abort();
        socket->deleteLater();
        m_closedBecause = end;
        m_closedReason = reason;
    }
    m_pendingParts.clear();
    while (Exchange *running = oldestRunning())
        finish(*running, end, reason);
}

void ImapConnection::logout()
{
    if (!m_socket || hasOutstanding()) {
        drop(ImapReply::End::ClosedByClient, QStringLiteral("the connection was closed"));
        return;
    }
    QSslSocket *socket = releaseSocket();
    m_closedBecause = ImapReply::End::ClosedByClient;
    m_closedReason = QStringLiteral("the connection was closed");
    if (socket->state() != QAbstractSocket::ConnectedState || !socket->isEncrypted()) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    qCDebug(lcImap) << "C: LOGOUT";
    socket->write(encoded('a' + QByteArray::number(++m_tagCounter) + " LOGOUT\r\n"));
    // Out now: a program that ends right after closing runs no event loop to send it later.
    socket->flush();
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(logoutGraceMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

QSslSocket *ImapConnection::releaseSocket()
{
    QSslSocket *socket = m_socket;
    m_socket = nullptr;
    if (socket)
        disconnect(socket, nullptr, this, nullptr);
    return socket;
}

ImapReply ImapConnection::takeReply()
{
    if (m_exchanges.isEmpty())
        return m_lastTaken;
    if (isRunning())
        return m_exchanges.first().reply;
    ImapReply taken = m_exchanges.takeFirst().reply;
    m_lastTaken = taken;
    m_lastTaken.untagged = {}; // a batch of mail is not held twice
    return taken;
}

void ImapConnection::readIncoming()
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    m_bytesRead += bytes.size();
    Q_EMIT bytesArrived();
    try {
        receive(bytes);
    } catch (const ImapParseError &error) {
        qCWarning(lcImap).noquote() << error.description() << "in" << loggable(error.line());
        // The stream cannot be trusted past an unreadable reply.
        drop(ImapReply::End::Unreadable, error.description());
        return;
    }
    reportLiteralProgress();
}

void ImapConnection::receive(const QByteArray &bytes)
{
    if (m_compression) {
        receiveCompressed(bytes);
        return;
    }
    m_framer.append(bytes);
    takeResponses();
    if (m_compressionAccepted && m_socket) {
        // What followed the server's OK in the same read is already compressed.
        m_compressionAccepted = false;
        m_compression = std::make_unique<DeflateStream>();
        receiveCompressed(m_framer.takeUnframed());
    }
}

void ImapConnection::receiveCompressed(const QByteArray &bytes)
{
    m_compression->pushCompressed(bytes);
    while (m_socket) {
        const std::optional<QByteArray> inflated = m_compression->pullInflated(inflateStepBytes);
        if (!inflated)
            throw ImapParseError("the compressed stream is corrupt", {}, 0);
        if (inflated->isEmpty())
            break;
        m_framer.append(*inflated);
        takeResponses();
    }
}

void ImapConnection::takeResponses()
{
    while (m_socket && !m_compressionAccepted) {
        const std::optional<QByteArray> raw = m_framer.takeResponse();
        if (!raw)
            break;
        qCDebug(lcImap).noquote() << "S:" << loggable(*raw);
        handleResponse(ImapResponse::parse(*raw));
    }
}

void ImapConnection::reportLiteralProgress()
{
    if (!m_socket)
        return;
    const qint64 size = m_framer.literalSize();
    int percent = -1;
    if (size > 0)
        percent = int(m_framer.literalReceived() * 100 / size);
    else if (m_lastPercent >= 0 && m_lastPercent < 100)
        percent = 100; // the literal finished within this read
    if (percent >= 0 && percent != m_lastPercent)
        Q_EMIT literalProgress(percent);
    m_lastPercent = size > 0 ? percent : -1;
}

void ImapConnection::handleResponse(const ImapResponse &response)
{
    if (m_awaitingGreeting) {
        handleGreeting(response);
        return;
    }
    switch (response.kind) {
    case ImapResponse::Kind::Continuation:
        handleContinuation(response);
        break;
    case ImapResponse::Kind::Tagged:
        handleTagged(response);
        break;
    case ImapResponse::Kind::Untagged:
        if (response.name == "BYE")
            m_byeText = response.text;
        collectUntagged(response);
        break;
    }
}

void ImapConnection::handleGreeting(const ImapResponse &response)
{
    m_awaitingGreeting = false;
    if (response.kind != ImapResponse::Kind::Untagged || !response.isStatus()) {
        drop(ImapReply::End::Unreadable,
             QStringLiteral("the server at %1 did not greet as an IMAP server").arg(m_endpoint));
        return;
    }
    if (response.name == "BYE") {
        m_byeText = response.text;
        drop(ImapReply::End::ConnectionLost, serverClosedText());
        return;
    }
    Exchange &greeting = m_exchanges.first();
    greeting.reply.completion = response;
    greeting.reply.completion.name = "OK"; // PREAUTH greets just as well
    finish(greeting, ImapReply::End::Completed);
}

void ImapConnection::handleContinuation(const ImapResponse &response)
{
    // Only the newest command can be waiting for one: nothing is sent behind a command that is.
    const bool newestRunning =
        !m_exchanges.isEmpty() && m_exchanges.last().reply.end == ImapReply::End::Running;
    if (newestRunning && m_pendingParts.isEmpty()
        && m_exchanges.last().reply.commandName == "AUTHENTICATE") {
        answerSaslChallenge(response);
        return;
    }
    if (!newestRunning || m_pendingParts.isEmpty()) {
        drop(ImapReply::End::Unreadable,
             QStringLiteral("unexpected continuation request from the server: %1")
                 .arg(EscapeControlCharacters(QString::fromUtf8(response.text))));
        return;
    }
    writePart(m_pendingParts.takeFirst());
}

// A challenge after the whole response was sent is the server's error report (XOAUTH2 sends
// base64 JSON); an empty line ends the exchange and the tagged NO follows.
void ImapConnection::answerSaslChallenge(const ImapResponse &response)
{
    ImapReply &reply = m_exchanges.last().reply;
    if (!reply.saslError.isEmpty()) {
        drop(ImapReply::End::Unreadable,
             QStringLiteral("the server repeated its sign-in challenge: %1")
                 .arg(QString::fromUtf8(loggable(response.raw))));
        return;
    }
    reply.saslError = XOAuth2::errorReason(response.text);
    writePart("\r\n");
}

void ImapConnection::handleTagged(const ImapResponse &response)
{
    Exchange *exchange = runningWithTag(response.tag);
    if (!exchange) {
        drop(ImapReply::End::Unreadable,
             QStringLiteral("reply for an unknown command tag from the server: %1")
                 .arg(EscapeControlCharacters(QString::fromUtf8(loggable(response.raw)))));
        return;
    }
    if (exchange == &m_exchanges.last())
        m_pendingParts.clear();
    exchange->reply.completion = response;
    if (exchange->reply.commandName == "COMPRESS" && response.name == "OK" && !m_compression)
        m_compressionAccepted = true;
    finish(*exchange, ImapReply::End::Completed);
}

// A server may run pipelined commands side by side and interleave their replies, so a FETCH
// reply goes to every FETCH still running (each takes the messages it asked for, by UID); any
// other reply to the oldest command still running.
void ImapConnection::collectUntagged(const ImapResponse &response)
{
    bool given = false;
    if (response.name == "FETCH") {
        for (qsizetype i = 0; i < m_exchanges.size() && m_socket; ++i) {
            Exchange &exchange = m_exchanges[i];
            if (exchange.reply.end == ImapReply::End::Running
                && exchange.reply.commandName.endsWith("FETCH")) {
                collectInto(exchange, response);
                given = true;
            }
        }
    }
    if (!given) {
        if (Exchange *oldest = oldestRunning())
            collectInto(*oldest, response);
    }
}

void ImapConnection::collectInto(Exchange &exchange, const ImapResponse &response)
{
    exchange.untaggedBytes += heldBytes(response);
    ImapReply &reply = exchange.reply;
    // The list's own slots: it grows by doubling, so up to twice as many as it holds.
    const qint64 slots = 2 * (reply.untagged.size() + 1) * qint64(sizeof(ImapResponse));
    if (exchange.untaggedBytes + slots > ImapLimits::maxExchangeBytes) {
        reply.untagged = {}; // given back before anything else is asked of memory
        drop(ImapReply::End::Unreadable,
             QStringLiteral("reply from the server refused: more than %1 MB of replies to %2")
                 .arg(ImapLimits::maxExchangeBytes >> 20)
                 .arg(QString::fromUtf8(reply.commandName)));
        return;
    }
    reply.untagged.append(response);
}

void ImapConnection::handleDisconnected()
{
    readIncoming(); // what arrived before the close still counts
    if (!m_socket)
        return;
    drop(ImapReply::End::ConnectionLost, serverClosedText());
}

void ImapConnection::handleSocketError(QAbstractSocket::SocketError error)
{
    if (!m_socket || error == QAbstractSocket::RemoteHostClosedError)
        return; // handleDisconnected tells the rest
    QString reason;
    if (error == QAbstractSocket::SslHandshakeFailedError) {
        reason =
            QStringLiteral("TLS handshake with %1 failed: %2")
                .arg(m_endpoint, m_tlsErrors.isEmpty() ? m_socket->errorString() : m_tlsErrors);
    } else if (m_socket->isEncrypted()) {
        reason =
            QStringLiteral("connection to %1 lost: %2").arg(m_endpoint, m_socket->errorString());
    } else {
        reason =
            QStringLiteral("cannot connect to %1: %2").arg(m_endpoint, m_socket->errorString());
    }
    readIncoming();
    drop(ImapReply::End::ConnectionLost, reason);
}

void ImapConnection::handleSslErrors(const QList<QSslError> &errors)
{
    // Never ignored: the handshake fails and handleSocketError reports these.
    QStringList texts;
    for (const QSslError &error : errors)
        texts.append(error.errorString());
    m_tlsErrors = texts.join(QStringLiteral("; "));
}

QString ImapConnection::serverClosedText() const
{
    if (m_byeText.isEmpty())
        return QStringLiteral("connection closed by the server");
    return QStringLiteral("connection closed by the server: %1")
        .arg(EscapeControlCharacters(QString::fromUtf8(m_byeText)));
}

void ImapConnection::finish(Exchange &exchange, ImapReply::End end, const QString &failure)
{
    exchange.reply.end = end;
    exchange.reply.failure = failure;
    if (end != ImapReply::End::Completed)
        qCDebug(lcImap).noquote() << exchange.reply.commandName << "ended:" << failure;
    Q_EMIT exchangeEnded();
}
