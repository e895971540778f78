#include "ImapChannel.h"

#include "ImapCapabilities.h"
#include "ImapCommand.h"
#include "ImapWait.h"
#include "ReconnectPause.h"
#include "XOAuth2.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int defaultTimeoutMs = 60 * 1000;

ImapCommand signInCommand(const ImapSignIn &signIn, const ImapReply &greeting)
{
    if (signIn.method == ImapSignIn::Method::XOAuth2)
        return XOAuth2::command(signIn.user, signIn.secret, XOAuth2::offersSaslIr(greeting));
    ImapCommand command("LOGIN");
    command.string(signIn.user.toUtf8()).string(signIn.secret.toUtf8()).sensitive();
    return command;
}

ImapCommand examineCommand(const QString &mailbox)
{
    ImapCommand command("EXAMINE");
    command.mailbox(mailbox);
    return command;
}

ImapReply completedOk()
{
    ImapReply reply;
    reply.end = ImapReply::End::Completed;
    reply.completion.name = "OK";
    return reply;
}

} // namespace

ImapChannel::ImapChannel(Hooks hooks) : m_hooks(std::move(hooks)), m_timeoutMs(defaultTimeoutMs) { }

ImapChannel::~ImapChannel() = default;

void ImapChannel::setTimeoutMs(int milliseconds)
{
    m_timeoutMs = qMax(1, milliseconds);
}

ImapReply ImapChannel::wait()
{
    ImapWait::Hooks hooks;
    hooks.abortRequested = m_hooks.abortRequested;
    hooks.progress = m_hooks.progress;
    hooks.expectedBytes = std::exchange(m_expectedBytes, 0);
    const ImapReply reply = ImapWait::run(&m_connection, m_timeoutMs, hooks);
    noteMailboxData(reply);
    return reply;
}

ImapReply ImapChannel::open(const QString &host, int port)
{
    forgetSession();
    m_host = host;
    m_port = port;
    return connectToServer();
}

ImapReply ImapChannel::connectToServer()
{
    QString problem;
    const std::optional<ServerAddress> address =
        ServerAddress::resolve(m_host, m_port, m_server, &problem);
    if (!address)
        return ImapReply::ended(ImapReply::End::NotConnected, problem);
    m_connection.open(*address);
    m_greeting = wait();
    m_capabilities = ImapCapabilities::in(m_greeting);
    return m_greeting;
}

bool ImapChannel::keepForReuse(const QString &host, int port)
{
    if (!m_credentials || host != m_host || port != m_port || !m_connection.isOpen())
        return false;
    settleStarted();
    if (!m_connection.isOpen() || m_connection.hasOutstanding())
        return false;
    m_reusable = m_signedInAs;
    m_reusableSelection = std::exchange(m_selected, std::nullopt);
    m_credentials.reset();
    m_signedInAs.reset();
    ++m_epoch;
    return true;
}

void ImapChannel::forgetSession()
{
    ++m_epoch;
    m_started.clear();
    m_reusable.reset();
    m_reusableSelection.reset();
    m_linesBeforeSignIn.clear();
    m_credentials.reset();
    m_signedInAs.reset();
    m_selected.reset();
    m_messageCount = 0;
    m_uidValidity = 0;
    ++m_selection;
}

void ImapChannel::close()
{
    forgetSession();
    if (m_connection.hasOutstanding()) {
        m_connection.drop(ImapReply::End::ClosedByClient,
                          QStringLiteral("the connection was closed while waiting for the server"));
    } else {
        m_connection.logout();
    }
}

// Commands started ahead and not waited for must end before another can run; their replies are
// of no use to anyone now.
void ImapChannel::settleStarted()
{
    if (m_started.isEmpty())
        return;
    ++m_epoch;
    while (!m_started.isEmpty() && awaitStarted().end != ImapReply::End::Refused) { }
}

ImapReply ImapChannel::notOpenReply() const
{
    const ImapReply::End why = m_connection.closedBecause();
    if (why == ImapReply::End::ConnectionLost)
        return ImapReply::ended(why, m_connection.closedReason());
    return ImapReply::ended(ImapReply::End::NotConnected,
                            QStringLiteral("not connected to the server"));
}

ImapReply ImapChannel::send(const ImapCommand &command)
{
    settleStarted();
    if (!m_connection.isOpen())
        return notOpenReply();
    m_connection.send(command);
    m_selectionUntouched = false;
    return wait();
}

// Every command goes out before the first reply is waited for; the server answers them in order
// and each reply is taken in turn. A command the connection could not carry (it dropped on the
// way) gets the reason it was not sent.
QList<ImapReply> ImapChannel::runInOneFlight(const QList<ImapCommand> &commands)
{
    settleStarted();
    qsizetype sent = 0;
    for (const ImapCommand &command : commands) {
        if (!m_connection.isOpen() || !m_connection.canSendMore())
            break;
        m_connection.send(command);
        ++sent;
    }
    m_selectionUntouched = false;
    QList<ImapReply> replies;
    for (qsizetype i = 0; i < commands.size(); ++i)
        replies.append(i < sent ? wait() : notOpenReply());
    return replies;
}

ImapReply ImapChannel::run(const ImapCommand &command)
{
    const ImapReply reply = send(command);
    if (reply.end != ImapReply::End::ConnectionLost || !m_reusable)
        return reply;
    // The kept connection died while it was idle: a new one takes its place.
    const ImapReply connected = connectAndReplay();
    return connected.isOk() ? send(command) : connected;
}

ImapReply ImapChannel::runResuming(const ImapCommand &command)
{
    int attempts = 0;
    bool wayBackFailed = false;
    return runResuming(command, attempts, wayBackFailed);
}

ImapReply ImapChannel::runResuming(const ImapCommand &command, int &attempts, bool &wayBackFailed)
{
    wayBackFailed = false;
    ImapReply reply = run(command);
    while (reply.end == ImapReply::End::ConnectionLost && m_credentials
           && attempts < ImapReply::maxReconnects) {
        const ImapReply resumed = recover(reply, attempts);
        if (!resumed.isOk()) {
            wayBackFailed = true;
            return resumed;
        }
        reply = run(command);
    }
    if (reply.end == ImapReply::End::ConnectionLost)
        reply.noteReconnects(attempts);
    return reply;
}

ImapReply ImapChannel::recover(const ImapReply &lost, int &attempts)
{
    ImapReply last = lost;
    while (attempts < ImapReply::maxReconnects) {
        ++attempts;
        if (!pauseBeforeReconnect(attempts))
            return ImapReply::ended(ImapReply::End::Aborted,
                                    QStringLiteral("stopped while waiting to reconnect"));
        const ImapReply resumed = reconnect();
        if (resumed.end != ImapReply::End::ConnectionLost)
            return resumed;
        last = resumed;
    }
    last.noteReconnects(attempts);
    return last;
}

// Coming straight back after a BYE or a drop meets the same overloaded server (and, at Gmail,
// counts against the account's sign-ins): wait a little longer each time. False on a stop request.
bool ImapChannel::pauseBeforeReconnect(int attempt)
{
    const int pause = m_pausesMs.isEmpty()
        ? 0
        : m_pausesMs.at(std::min<qsizetype>(attempt, m_pausesMs.size()) - 1);
    return ReconnectPause::sit(
        pause, [this] { return m_hooks.abortRequested && m_hooks.abortRequested(); });
}

ImapReply ImapChannel::runRawLine(const QByteArray &line)
{
    if (m_credentials)
        return run(ImapCommand::rawLine(line));
    for (const auto &[sent, answer] : std::as_const(m_linesBeforeSignIn)) {
        if (sent == line && m_connection.isOpen())
            return answer;
    }
    const ImapReply reply = run(ImapCommand::rawLine(line));
    if (reply.end == ImapReply::End::Completed && !m_credentials)
        m_linesBeforeSignIn.append({line, reply});
    return reply;
}

ImapReply ImapChannel::connectAndReplay()
{
    m_reusable.reset();
    m_reusableSelection.reset();
    m_started.clear();
    ++m_epoch;
    ImapReply reply = connectToServer();
    if (!reply.isOk())
        return reply;
    // close() may clear the list meanwhile: the loop works on a copy.
    const QList<std::pair<QByteArray, ImapReply>> lines = m_linesBeforeSignIn;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        reply = send(ImapCommand::rawLine(lines.at(i).first));
        if (reply.end != ImapReply::End::Completed)
            return reply;
        if (i < m_linesBeforeSignIn.size())
            m_linesBeforeSignIn[i].second = reply;
    }
    return reply;
}

// The whole way back after the server dropped us: connect, replay, sign in afresh (a token
// source hands out a new token), select again.
ImapReply ImapChannel::reconnect()
{
    ImapReply reply = connectAndReplay();
    if (reply.end != ImapReply::End::Completed)
        return reply;
    const std::shared_ptr<ImapCredentials> credentials = m_credentials;
    if (!credentials) // closed from an event handler meanwhile
        return ImapReply::ended(ImapReply::End::ClosedByClient,
                                QStringLiteral("the connection was closed"));
    QString problem;
    const std::optional<ImapSignIn> signIn = credentials->signIn(&problem);
    if (!signIn)
        return ImapReply::ended(ImapReply::End::Refused, problem);
    reply = signInOnce(*signIn);
    if (!reply.isOk() || !m_selected)
        return reply;
    m_messageCount = 0;
    ++m_epoch;
    return send(examineCommand(*m_selected));
}

// Signs in, then switches compression on where the server offers it: mail text shrinks to a
// third or less on the wire. A refusal of compression leaves the connection as it was.
// `linesFirst` neither change what the stream carries nor depend on the sign-in: they share its
// flight, and one of them that gets no answer stops the sign-in from counting.
ImapReply ImapChannel::signInOnce(const ImapSignIn &signIn, const QByteArrayList &linesFirst)
{
    QList<ImapCommand> flight;
    for (const QByteArray &line : linesFirst)
        flight.append(ImapCommand::rawLine(line));
    flight.append(signInCommand(signIn, m_greeting));
    const QList<ImapReply> replies = runInOneFlight(flight);
    for (qsizetype i = 0; i < linesFirst.size(); ++i) {
        if (replies.at(i).end != ImapReply::End::Completed) {
            m_lineBeforeSignInFailed = true;
            return replies.at(i);
        }
        m_linesBeforeSignIn.append({linesFirst.at(i), replies.at(i)});
    }
    const ImapReply &reply = replies.last();
    if (reply.isOk())
        m_capabilities += ImapCapabilities::in(reply);
    if (reply.isOk() && ImapCapabilities::offerCompression(reply))
        send(ImapCommand("COMPRESS").arg("DEFLATE"));
    return reply;
}

// A kept connection answers the lines it heard before from what the server said then.
ImapReply ImapChannel::runLinesOnKeptConnection(const QByteArrayList &lines)
{
    ImapReply reply = completedOk();
    for (const QByteArray &line : lines) {
        reply = runRawLine(line);
        if (reply.end != ImapReply::End::Completed) {
            m_lineBeforeSignInFailed = true;
            return reply;
        }
    }
    return reply;
}

QByteArrayList ImapChannel::unansweredLines(const QByteArrayList &lines) const
{
    QByteArrayList unanswered;
    for (const QByteArray &line : lines) {
        const bool answered = std::any_of(m_linesBeforeSignIn.cbegin(), m_linesBeforeSignIn.cend(),
                                          [&line](const auto &kept) { return kept.first == line; });
        if (!answered)
            unanswered.append(line);
    }
    return unanswered;
}

ImapReply ImapChannel::signIn(std::shared_ptr<ImapCredentials> credentials,
                              const QByteArrayList &linesFirst)
{
    m_lineBeforeSignInFailed = false;
    QString problem;
    const std::optional<ImapSignIn> signIn = credentials->signIn(&problem);
    if (!signIn)
        return ImapReply::ended(ImapReply::End::Refused, problem);
    if (m_reusable && *m_reusable == *signIn) {
        if (const ImapReply lines = runLinesOnKeptConnection(linesFirst);
            lines.end != ImapReply::End::Completed)
            return lines;
        m_credentials = std::move(credentials);
        m_signedInAs = std::exchange(m_reusable, std::nullopt);
        m_selected = std::exchange(m_reusableSelection, std::nullopt);
        m_selectionKept = m_selected.has_value();
        return completedOk();
    }
    if (m_reusable) {
        // Signed in as someone else: only a new connection can sign in again.
        const ImapReply connected = connectAndReplay();
        if (!connected.isOk())
            return connected;
    }
    const ImapReply reply = signInOnce(*signIn, unansweredLines(linesFirst));
    if (reply.isOk()) {
        m_credentials = std::move(credentials);
        m_signedInAs = signIn;
    }
    return reply;
}

ImapReply ImapChannel::select(const QString &mailbox, bool mayReuse)
{
    QList<ImapReply> none;
    return select(mailbox, mayReuse, {}, none);
}

ImapReply ImapChannel::select(const QString &mailbox, bool mayReuse,
                              const QList<ImapCommand> &behind, QList<ImapReply> &replies)
{
    replies.clear();
    // A kept connection still has it selected: the count and the run that follows it share one
    // selection, and what was learnt of the mailbox in between stays valid.
    // Only when nothing was sent since that selection: a later one re-counts.
    const bool kept = std::exchange(m_selectionKept, false);
    if (mayReuse && kept && m_selectionUntouched && m_selected == mailbox
        && m_connection.isOpen()) {
        m_selectionUntouched = false; // a later run counts afresh, even if it fetches nothing
        return completedOk();
    }
    settleStarted();
    ++m_epoch;
    ++m_selection;
    m_selected.reset();
    m_messageCount = 0;
    m_uidValidity = 0;
    ImapReply reply;
    if (!behind.isEmpty()) {
        replies = runInOneFlight(QList<ImapCommand> {examineCommand(mailbox)} + behind);
        reply = replies.takeFirst();
    }
    if (behind.isEmpty() || reply.end == ImapReply::End::ConnectionLost) {
        replies.clear();
        reply = runResuming(examineCommand(mailbox));
    }
    if (reply.isOk())
        m_selected = mailbox;
    else
        m_messageCount = 0;
    m_selectionUntouched = reply.isOk();
    return reply;
}

bool ImapChannel::offers(const QByteArray &capability) const
{
    return m_capabilities.contains(capability.toUpper());
}

bool ImapChannel::start(const ImapCommand &command, qint64 expectedBytes)
{
    // Only behind commands started here: anything else is waited for before it returns.
    if (m_started.size() >= maxStarted || !m_connection.isOpen()
        || (m_started.isEmpty() && m_connection.hasOutstanding()) || !m_connection.canSendMore())
        return false;
    m_connection.send(command);
    m_selectionUntouched = false;
    m_started.append(expectedBytes);
    return true;
}

ImapReply ImapChannel::awaitStarted()
{
    if (m_started.isEmpty())
        return ImapReply::ended(ImapReply::End::NotConnected,
                                QStringLiteral("not connected to the server"));
    m_expectedBytes = m_started.first();
    const ImapReply reply = wait();
    if (reply.end != ImapReply::End::Refused)
        m_started.removeFirst();
    return reply;
}

void ImapChannel::noteMailboxData(const ImapReply &reply)
{
    // Gmail puts the code after the text ("OK Success [THROTTLED]"), so the whole line counts.
    const auto throttles = [](const ImapResponse &response) {
        return response.isStatus() && response.raw.toUpper().contains("[THROTTLED]");
    };
    if (throttles(reply.completion)
        || std::any_of(reply.untagged.cbegin(), reply.untagged.cend(), throttles))
        ++m_throttled;
    for (const ImapResponse &response : reply.untagged) {
        if (response.code.toUpper().startsWith("UIDVALIDITY "))
            m_uidValidity = response.code.mid(12).trimmed().toUInt();
        if (!response.number)
            continue;
        if (response.name == "EXISTS")
            m_messageCount = int(std::clamp<qint64>(*response.number, 0, INT_MAX));
        else if (response.name == "EXPUNGE" && m_messageCount > 0)
            --m_messageCount;
    }
}
