#include "ImapComponent.h"

#include "imap/ImapCommand.h"
#include "imap/ImapConnection.h"
#include "imap/ImapWait.h"
#include "imap/MailboxNameCodec.h"
#include "imap/MessageFetcher.h"
#include "imap/MessagePrefetcher.h"
#include "imap/ServerAddress.h"

#include <QPointer>

#include <algorithm>
#include <climits>

namespace {

constexpr int defaultTimeoutMs = 60 * 1000;

// Marks the component busy for one public operation, so that an operation started from an event
// handler while this one waits is refused. Safe when the component dies during the wait.
class BusyScope
{
public:
    BusyScope(ImapComponent *component, bool &busy) : m_component(component), m_busy(busy)
    {
        m_busy = true;
    }
    ~BusyScope()
    {
        if (m_component)
            m_busy = false;
    }
    Q_DISABLE_COPY_MOVE(BusyScope)

private:
    QPointer<ImapComponent> m_component;
    bool &m_busy;
};

QString joinedLines(const ImapReply &reply)
{
    QByteArrayList lines;
    for (const ImapResponse &response : reply.untagged)
        lines.append(response.raw);
    lines.append(reply.completion.raw);
    return QString::fromUtf8(lines.join("\r\n"));
}

ImapCommand loginCommand(const QString &user, const QString &password)
{
    ImapCommand command("LOGIN");
    command.string(user.toUtf8()).string(password.toUtf8()).sensitive();
    return command;
}

bool offersCompression(const ImapReply &reply)
{
    if (reply.completion.code.toUpper().contains("COMPRESS=DEFLATE"))
        return true;
    for (const ImapResponse &response : reply.untagged) {
        if (response.name == "CAPABILITY" && response.raw.toUpper().contains("COMPRESS=DEFLATE"))
            return true;
    }
    return false;
}

ImapCommand examineCommand(const QString &mailbox)
{
    ImapCommand command("EXAMINE");
    command.mailbox(mailbox);
    return command;
}

} // namespace

struct ImapComponent::Private
{
    explicit Private(ImapComponent *component)
        : q(component),
          fetcher([this](const ImapCommand &command) { return runResuming(command); }),
          fetchAhead(prefetchLink())
    {
    }

    MessagePrefetcher::Link prefetchLink();
    std::optional<MailMessage> fetchWhole(int number, bool byUid);
    std::optional<MailMessage> readWhole(const QByteArray &raw, int number);
    std::optional<MailMessage> readFetched(const FetchedMessage &fetched, int number);

    ImapReply wait();
    ImapReply connectToServer();
    ImapReply run(const ImapCommand &command);
    ImapReply runResuming(const ImapCommand &command);
    ImapReply resume();
    ImapReply connectAndReplay();
    ImapReply signIn(const QString &user, const QString &password);
    bool reuseSignedInConnection(const QString &host);
    ImapReply runOnReused(const ImapCommand &command);
    void noteMailboxData(const ImapReply &reply);
    void forgetSession();
    bool refuseWhenBusy();

    ImapComponent *q;
    ImapConnection connection;
    MessageFetcher fetcher;
    MessagePrefetcher fetchAhead;
    bool encrypted = true;
    int port = 993;
    QString host;
    int connectedPort = 0;
    int timeoutMs = defaultTimeoutMs;
    QString failure;
    int messageCount = 0;
    bool busy = false;

    // What a reconnect replays to get back to where the server dropped us.
    QList<QByteArray> linesBeforeSignIn; // the identification command
    std::optional<std::pair<QString, QString>> credentials;
    std::optional<QString> selectedMailbox;
    // A connection kept signed in across OpenHost, and who it is signed in as: signing in as the
    // same user again costs no round trip.
    std::optional<std::pair<QString, QString>> reusable;
};

ImapReply ImapComponent::Private::wait()
{
    ImapComponent *component = q;
    ImapWait::Hooks hooks;
    hooks.abortRequested = [component] {
        int abort = 0;
        Q_EMIT component->AbortCheck(abort);
        return abort != 0;
    };
    hooks.progress = [component](int percent) { Q_EMIT component->PercentDone(percent); };
    return ImapWait::run(&connection, timeoutMs, hooks);
}

ImapReply ImapComponent::Private::connectToServer()
{
    QString problem;
    const std::optional<ServerAddress> address = ServerAddress::resolve(host, port, &problem);
    if (!address)
        return ImapReply::ended(ImapReply::End::NotConnected, problem);
    connection.open(*address);
    return wait();
}

MessagePrefetcher::Link ImapComponent::Private::prefetchLink()
{
    MessagePrefetcher::Link link;
    link.start = [this](const ImapCommand &command) {
        if (!connection.isOpen() || connection.isRunning())
            return false;
        connection.send(command);
        return true;
    };
    link.await = [this] {
        const ImapReply reply = wait();
        if (reply.end != ImapReply::End::Destroyed)
            noteMailboxData(reply);
        return reply;
    };
    link.reconnect = [this] { return resume(); };
    link.messageCount = [this] { return qint64(messageCount); };
    return link;
}

ImapReply ImapComponent::Private::run(const ImapCommand &command)
{
    // A command fetching ahead may still be running: it has to finish before another can start.
    if (fetchAhead.isFetching() && !fetchAhead.abandon())
        return ImapReply::ended(ImapReply::End::Destroyed, QStringLiteral("aborted"));
    if (!connection.isOpen()) {
        const ImapReply::End why = connection.closedBecause();
        if (why == ImapReply::End::ConnectionLost)
            return ImapReply::ended(why, connection.closedReason());
        return ImapReply::ended(ImapReply::End::NotConnected,
                                QStringLiteral("not connected to the server"));
    }
    connection.send(command);
    const ImapReply reply = wait();
    if (reply.end != ImapReply::End::Destroyed)
        noteMailboxData(reply);
    return reply;
}

ImapReply ImapComponent::Private::runResuming(const ImapCommand &command)
{
    ImapReply reply = run(command);
    int reconnects = 0;
    while (reply.end == ImapReply::End::ConnectionLost && credentials
           && reconnects < ImapReply::maxReconnects) {
        ++reconnects;
        const ImapReply resumed = resume();
        if (resumed.end == ImapReply::End::Destroyed)
            return resumed;
        if (resumed.end == ImapReply::End::ConnectionLost) {
            reply = resumed;
            continue;
        }
        if (!resumed.isOk())
            return resumed;
        reply = run(command);
    }
    if (reply.end == ImapReply::End::ConnectionLost)
        reply.noteReconnects(reconnects);
    return reply;
}

ImapReply ImapComponent::Private::connectAndReplay()
{
    reusable.reset();
    ImapReply reply = connectToServer();
    if (!reply.isOk())
        return reply;
    const QList<QByteArray> lines = linesBeforeSignIn; // CloseConnection may clear it meanwhile
    for (const QByteArray &line : lines) {
        reply = run(ImapCommand::rawLine(line));
        if (reply.end != ImapReply::End::Completed)
            return reply;
    }
    return reply;
}

ImapReply ImapComponent::Private::resume()
{
    ImapReply reply = connectAndReplay();
    if (reply.end != ImapReply::End::Completed)
        return reply;
    if (!credentials) // CloseConnection ran from an event handler meanwhile
        return ImapReply::ended(ImapReply::End::ClosedByClient,
                                QStringLiteral("the connection was closed"));
    reply = signIn(credentials->first, credentials->second);
    if (!reply.isOk() || !selectedMailbox)
        return reply;
    messageCount = 0;
    return run(examineCommand(*selectedMailbox));
}

void ImapComponent::Private::noteMailboxData(const ImapReply &reply)
{
    for (const ImapResponse &response : reply.untagged) {
        if (!response.number)
            continue;
        if (response.name == "EXISTS")
            messageCount = int(std::clamp<qint64>(*response.number, 0, INT_MAX));
        else if (response.name == "EXPUNGE" && messageCount > 0)
            --messageCount;
    }
}

// Signs in, then switches compression on where the server offers it: mail text shrinks to a
// third or less on the wire. A refusal leaves the connection as it was.
ImapReply ImapComponent::Private::signIn(const QString &user, const QString &password)
{
    const ImapReply reply = run(loginCommand(user, password));
    if (!reply.isOk() || !offersCompression(reply))
        return reply;
    const ImapReply compressed = run(ImapCommand("COMPRESS").arg("DEFLATE"));
    return compressed.end == ImapReply::End::Destroyed ? compressed : reply;
}

// The same server again, on a connection that is signed in and idle: kept, so that a run after
// the count or the folder listing does not pay for a new connection and sign-in.
bool ImapComponent::Private::reuseSignedInConnection(const QString &newHost)
{
    if (!credentials || newHost != host || port != connectedPort || !encrypted
        || !connection.isOpen())
        return false;
    if (!fetchAhead.abandon() || !connection.isOpen() || connection.isRunning())
        return false;
    reusable = std::exchange(credentials, std::nullopt);
    linesBeforeSignIn.clear();
    selectedMailbox.reset();
    messageCount = 0;
    return true;
}

// A kept connection may have died while it was idle; then a new one takes its place.
ImapReply ImapComponent::Private::runOnReused(const ImapCommand &command)
{
    const ImapReply reply = run(command);
    if (reply.end != ImapReply::End::ConnectionLost || !reusable)
        return reply;
    const ImapReply connected = connectAndReplay();
    return connected.isOk() ? run(command) : connected;
}

void ImapComponent::Private::forgetSession()
{
    fetchAhead.forget();
    reusable.reset();
    linesBeforeSignIn.clear();
    credentials.reset();
    selectedMailbox.reset();
    messageCount = 0;
}

bool ImapComponent::Private::refuseWhenBusy()
{
    if (!busy)
        return false;
    failure = QStringLiteral("another IMAP operation is still waiting for the server");
    return true;
}

ImapComponent::ImapComponent(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this))
{
}

ImapComponent::~ImapComponent() = default;

void ImapComponent::SetEncryption(bool encrypted)
{
    d->encrypted = encrypted;
}

void ImapComponent::SetPort(int port)
{
    d->port = port;
}

void ImapComponent::setTimeoutMs(int milliseconds)
{
    d->timeoutMs = qMax(1, milliseconds);
}

int ImapComponent::OpenHost(const QString &host)
{
    if (d->refuseWhenBusy())
        return 0;
    BusyScope busy(this, d->busy);
    d->failure.clear();
    if (d->reuseSignedInConnection(host))
        return 1;
    d->forgetSession();
    if (!d->encrypted) {
        d->failure = QStringLiteral("unencrypted connections are refused: the password would "
                                    "travel as plain text");
        return 0;
    }
    d->host = host;
    d->connectedPort = d->port;
    const ImapReply reply = d->connectToServer();
    if (reply.end == ImapReply::End::Destroyed)
        return 0;
    d->failure = reply.failureText();
    return reply.isOk() ? 1 : 0;
}

QString ImapComponent::SendRawLine(const QString &commandLine)
{
    if (d->refuseWhenBusy())
        return {};
    BusyScope busy(this, d->busy);
    d->failure.clear();
    const QByteArray line = commandLine.toUtf8();
    if (line.contains('\r') || line.contains('\n') || line.contains('\0')
        || line.trimmed().isEmpty()) {
        d->failure = QStringLiteral("a command line must be one non-empty line");
        return {};
    }
    const ImapReply reply = d->runOnReused(ImapCommand::rawLine(line));
    if (reply.end == ImapReply::End::Destroyed)
        return {};
    d->failure = reply.failureText();
    if (reply.end != ImapReply::End::Completed)
        return {};
    if (!d->credentials)
        d->linesBeforeSignIn.append(line);
    return joinedLines(reply);
}

int ImapComponent::SignIn(const QString &user, const QString &password)
{
    if (d->refuseWhenBusy())
        return 0;
    BusyScope busy(this, d->busy);
    d->failure.clear();
    if (!ImapCommand::canCarry(user.toUtf8()) || !ImapCommand::canCarry(password.toUtf8())) {
        d->failure = QStringLiteral("a user name or password cannot hold a NUL character");
        return 0;
    }
    if (d->reusable && *d->reusable == std::pair(user, password)) {
        d->credentials = std::exchange(d->reusable, std::nullopt);
        return 1;
    }
    if (d->reusable) {
        // Signed in as someone else: only a new connection can sign in again.
        const ImapReply connected = d->connectAndReplay();
        if (connected.end == ImapReply::End::Destroyed)
            return 0;
        if (!connected.isOk()) {
            d->failure = connected.failureText();
            return 0;
        }
    }
    const ImapReply reply = d->signIn(user, password);
    if (reply.end == ImapReply::End::Destroyed)
        return 0;
    d->failure = reply.failureText();
    if (!reply.isOk())
        return 0;
    d->credentials = std::pair(user, password);
    return 1;
}

int ImapComponent::OpenMailbox(const QString &mailbox)
{
    if (d->refuseWhenBusy())
        return 0;
    BusyScope busy(this, d->busy);
    d->failure.clear();
    if (!d->fetchAhead.abandon())
        return 0;
    d->selectedMailbox.reset();
    d->messageCount = 0;
    const ImapReply reply = d->runResuming(examineCommand(mailbox));
    if (reply.end == ImapReply::End::Destroyed)
        return 0;
    d->failure = reply.failureText();
    if (!reply.isOk()) {
        d->messageCount = 0;
        return 0;
    }
    d->selectedMailbox = mailbox;
    return 1;
}

int ImapComponent::MessageCount() const
{
    return d->messageCount;
}

std::optional<MailMessage> ImapComponent::Private::fetchWhole(int number, bool byUid)
{
    const MessageFetcher::Result fetched = fetcher.fetch(number, byUid);
    if (fetched.destroyed)
        return std::nullopt;
    if (!fetched.raw) {
        failure = fetched.failure;
        return std::nullopt;
    }
    return readWhole(*fetched.raw, number);
}

std::optional<MailMessage> ImapComponent::Private::readWhole(const QByteArray &raw, int number)
{
    QString reason;
    std::optional<MailMessage> message = MailMessage::fromRfc822(raw, &reason);
    if (!message)
        failure = QStringLiteral("message %1 could not be read: %2").arg(number).arg(reason);
    return message;
}

std::optional<MailMessage> ImapComponent::Private::readFetched(const FetchedMessage &fetched,
                                                               int number)
{
    if (fetched.whole)
        return readWhole(*fetched.whole, number);
    std::optional<MailMessage> message = fetched.text
        ? MailMessage::fromRfc822(fetched.header + *fetched.text)
        : MailMessage::fromParts(fetched.header, fetched.plainPart, fetched.htmlPart);
    if (message)
        return message;
    // The server described the message wrongly, or it has none of the header fields read
    // here; the whole message still has its text.
    return fetchWhole(number, false);
}

std::optional<MailMessage> ImapComponent::FetchMessage(int number, bool byUid)
{
    if (d->refuseWhenBusy())
        return std::nullopt;
    BusyScope busy(this, d->busy);
    d->failure.clear();
    if (!d->selectedMailbox) {
        d->failure = QStringLiteral("no mailbox is selected");
        return std::nullopt;
    }
    if (byUid)
        return d->fetchWhole(number, byUid);
    const MessagePrefetcher::Result taken = d->fetchAhead.take(number);
    if (taken.destroyed)
        return std::nullopt;
    if (taken.fetchSingly)
        return d->fetchWhole(number, byUid);
    if (!taken.message) {
        d->failure = taken.failure;
        return std::nullopt;
    }
    return d->readFetched(*taken.message, number);
}

void ImapComponent::SetFetchHtmlBodies(bool fetch)
{
    d->fetchAhead.setFetchHtml(fetch);
}

void ImapComponent::setFetchAheadLimits(qint64 bufferBytes, int firstWindow, int window)
{
    d->fetchAhead.setLimits({bufferBytes, firstWindow, window});
}

std::optional<QStringList> ImapComponent::ListFolders(const QString &reference,
                                                      const QString &pattern)
{
    if (d->refuseWhenBusy())
        return std::nullopt;
    BusyScope busy(this, d->busy);
    d->failure.clear();
    ImapCommand command("LIST");
    command.string(MailboxNameCodec::encode(reference)).string(MailboxNameCodec::encode(pattern));
    const ImapReply reply = d->runResuming(command);
    if (reply.end == ImapReply::End::Destroyed)
        return std::nullopt;
    d->failure = reply.failureText();
    if (!reply.isOk())
        return std::nullopt;
    QStringList names;
    for (const ImapResponse &response : reply.untagged) {
        if (response.name == "LIST" && response.values.size() == 3)
            names.append(MailboxNameCodec::decode(response.values.at(2).bytes()));
    }
    return names;
}

QString ImapComponent::FailureText() const
{
    return d->failure;
}

int ImapComponent::CloseConnection()
{
    d->forgetSession();
    if (d->connection.isRunning()) {
        d->connection.drop(
            ImapReply::End::ClosedByClient,
            QStringLiteral("the connection was closed while waiting for the server"));
    } else {
        d->connection.logout();
    }
    return 1;
}
