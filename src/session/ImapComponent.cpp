#include "ImapComponent.h"

#include "MailMessageSource.h"
#include "SystemFolders.h"

#include "imap/FetchFailure.h"
#include "imap/ImapChannel.h"
#include "imap/ImapCommand.h"
#include "imap/MailboxNameCodec.h"
#include "imap/MemoryMessageStore.h"
#include "imap/SearchTranslation.h"

#include <QPointer>

namespace {

QString joinedLines(const ImapReply &reply)
{
    QByteArrayList lines;
    for (const ImapResponse &response : reply.untagged)
        lines.append(response.raw);
    lines.append(reply.completion.raw);
    return QString::fromUtf8(lines.join("\r\n"));
}

bool isOneCommandLine(const QByteArray &line)
{
    return !line.contains('\r') && !line.contains('\n') && !line.contains('\0')
        && !line.trimmed().isEmpty();
}

ImapComponent::FetchFailureKind kindOf(const FetchFailure &failure)
{
    using Kind = ImapComponent::FetchFailureKind;
    switch (failure.kind) {
    case FetchFailure::Kind::None:
        return Kind::None;
    case FetchFailure::Kind::Message:
        return Kind::Message;
    case FetchFailure::Kind::Run:
        return failure.byServer ? Kind::ServerLimit : Kind::Connection;
    case FetchFailure::Kind::Stopped:
        return Kind::Stopped;
    case FetchFailure::Kind::MailboxEnded:
        return Kind::MailboxEnded;
    }
    return Kind::Connection;
}

} // namespace

struct ImapComponent::Private
{
    explicit Private(ImapComponent *component)
        : q(component), channel(channelHooks()), messages(channel)
    {
    }

    ImapChannel::Hooks channelHooks()
    {
        ImapChannel::Hooks hooks;
        hooks.abortRequested = [this] {
            if (!q)
                return true; // the component is gone: nobody waits for the answer
            int abort = 0;
            Q_EMIT q->AbortCheck(abort);
            return abort != 0;
        };
        hooks.progress = [this](int percent) {
            if (q)
                Q_EMIT q->PercentDone(percent);
        };
        return hooks;
    }

    // Keeps the outcome of one exchange as the failure text; true when it went through.
    bool note(const ImapReply &reply)
    {
        failure = reply.failureText();
        answered = reply.end == ImapReply::End::Completed || reply.end == ImapReply::End::Refused;
        return reply.isOk();
    }

    QPointer<ImapComponent> q;
    ImapChannel channel;
    MailMessageSource messages;
    bool encrypted = true;
    int port = 993;
    QString failure;
    FetchFailureKind fetchFailure = FetchFailureKind::None;
    bool answered = false;
    bool busy = false;
    std::optional<QString> fetchedFor; // the user whose mail the session's memory holds
    QByteArrayList withSignIn; // lines to send with the next sign-in
    bool lineWithSignInFailed = false;

    int signIn(std::shared_ptr<ImapCredentials> credentials)
    {
        const ImapReply reply =
            channel.signIn(std::move(credentials), std::exchange(withSignIn, {}));
        lineWithSignInFailed = channel.lineBeforeSignInFailed();
        if (!note(reply))
            return 0;
        noteSignedIn();
        return 1;
    }

    // What the memory holds belongs to one user: another's sign-in forgets it.
    void noteSignedIn()
    {
        const QString user = channel.signedInUser();
        if (fetchedFor && *fetchedFor != user)
            messages.memory().clear();
        fetchedFor = user;
    }
};

// Every public operation: refused while another one waits, failure text cleared first, and the
// state held for the whole call so that deleting the component from an event handler meanwhile
// leaves the operation something to finish on.
template<typename Result, typename Work> Result ImapComponent::operate(Result refused, Work work)
{
    const std::shared_ptr<Private> state = d;
    if (state->busy) {
        state->failure = QStringLiteral("another IMAP operation is still waiting for the server");
        return refused;
    }
    state->busy = true;
    state->failure.clear();
    struct Release
    {
        bool &busy;
        ~Release() { busy = false; }
    } release {state->busy};
    return work(*state);
}

ImapComponent::ImapComponent(QObject *parent) : QObject(parent), d(std::make_shared<Private>(this))
{
}

ImapComponent::~ImapComponent()
{
    // An operation still waiting ends now, on the state it holds.
    if (d->busy)
        d->channel.close();
}

void ImapComponent::SetEncryption(bool encrypted)
{
    d->encrypted = encrypted;
}

void ImapComponent::SetPort(int port)
{
    d->port = port;
}

void ImapComponent::setServerOverride(const ServerOverride &server)
{
    d->channel.setServerOverride(server);
}

void ImapComponent::setTimeoutMs(int milliseconds)
{
    d->channel.setTimeoutMs(milliseconds);
}

void ImapComponent::setReconnectPauses(const QList<int> &milliseconds)
{
    d->channel.setReconnectPauses(milliseconds);
}

void ImapComponent::setFetchAheadLimits(qint64 bufferBytes, int firstWindow, int window)
{
    d->messages.setFetchAheadLimits(bufferBytes, firstWindow, window);
}

void ImapComponent::SetFetchHtmlBodies(bool fetch)
{
    d->messages.setFetchHtmlBodies(fetch);
}

int ImapComponent::OpenHost(const QString &host)
{
    return operate(0, [&host](Private &state) {
        if (state.encrypted && state.channel.keepForReuse(host, state.port))
            return 1;
        state.channel.forgetSession();
        if (!state.encrypted) {
            state.failure = QStringLiteral("unencrypted connections are refused: the password "
                                           "would travel as plain text");
            return 0;
        }
        return state.note(state.channel.open(host, state.port)) ? 1 : 0;
    });
}

QString ImapComponent::SendRawLine(const QString &commandLine)
{
    return operate(QString(), [line = commandLine.toUtf8()](Private &state) {
        if (!isOneCommandLine(line)) {
            state.failure = QStringLiteral("a command line must be one non-empty line");
            return QString();
        }
        const ImapReply reply = state.channel.runRawLine(line);
        state.note(reply);
        if (reply.end != ImapReply::End::Completed)
            return QString();
        return joinedLines(reply);
    });
}

int ImapComponent::SendWithSignIn(const QString &commandLine)
{
    return operate(0, [line = commandLine.toUtf8()](Private &state) {
        if (!isOneCommandLine(line)) {
            state.failure = QStringLiteral("a command line must be one non-empty line");
            return 0;
        }
        state.withSignIn.append(line);
        return 1;
    });
}

bool ImapComponent::LineWithSignInFailed() const
{
    return d->lineWithSignInFailed;
}

int ImapComponent::SignIn(const QString &user, const QString &password)
{
    return operate(0, [&user, &password](Private &state) {
        if (!ImapCommand::canCarry(user.toUtf8()) || !ImapCommand::canCarry(password.toUtf8())) {
            state.withSignIn.clear();
            state.lineWithSignInFailed = false;
            state.failure = QStringLiteral("a user name or password cannot hold a NUL character");
            state.answered = true;
            return 0;
        }
        return state.signIn(std::make_shared<PasswordCredentials>(user, password));
    });
}

int ImapComponent::SignInWith(std::shared_ptr<ImapCredentials> credentials)
{
    return operate(0,
                   [&credentials](Private &state) { return state.signIn(std::move(credentials)); });
}

int ImapComponent::OpenMailbox(const QString &mailbox, bool afterItsCount)
{
    return operate(0, [&mailbox, afterItsCount](Private &state) {
        state.messages.selecting(mailbox);
        return state.note(state.channel.select(mailbox, afterItsCount)) ? 1 : 0;
    });
}

int ImapComponent::CountMailbox(const QString &mailbox, bool searchFollows)
{
    return operate(0, [&mailbox, searchFollows](Private &state) {
        state.messages.selecting(mailbox);
        return state.note(state.messages.selectForCount(mailbox, !searchFollows)) ? 1 : 0;
    });
}

int ImapComponent::NarrowTo(const QString &search)
{
    return operate(0, [&search](Private &state) {
        if (!state.channel.hasSelection()) {
            state.failure = QStringLiteral("no mailbox is selected");
            return 0;
        }
        const QString mailbox = state.channel.selectedMailbox();
        FetchFailure failure;
        if (search.trimmed().isEmpty())
            return state.messages.narrow(mailbox, std::nullopt, failure) ? 1 : 0;
        const SearchTranslation translated =
            SearchTranslation::translate(search, state.channel.offers("X-GM-EXT-1"));
        if (!translated.command) {
            state.failure = translated.refusal;
            state.answered = true;
            return 0;
        }
        const bool narrowed = state.messages.narrow(mailbox, translated.command, failure);
        state.failure = failure.text;
        state.answered = failure.byServer;
        return narrowed ? 1 : 0;
    });
}

int ImapComponent::MessageCount() const
{
    return d->messages.count().value_or(d->channel.messageCount());
}

std::optional<MailMessage> ImapComponent::FetchMessage(int number, bool byUid)
{
    // Refused outright (another operation waits): no fetch can get through now.
    d->fetchFailure = FetchFailureKind::Connection;
    return operate(std::optional<MailMessage>(), [number, byUid](Private &state) {
        if (!state.channel.hasSelection()) {
            state.failure = QStringLiteral("no mailbox is selected");
            state.fetchFailure = FetchFailureKind::Connection;
            return std::optional<MailMessage>();
        }
        FetchFailure failure;
        std::optional<MailMessage> message = state.messages.fetch(number, byUid, failure);
        state.failure = failure.text;
        state.fetchFailure = kindOf(failure);
        return message;
    });
}

ImapComponent::FetchFailureKind ImapComponent::LastFetchFailure() const
{
    return d->fetchFailure;
}

int ImapComponent::ThrottledCount() const
{
    return d->channel.throttledCount();
}

std::optional<FolderListing> ImapComponent::ListFolders(const QString &reference,
                                                        const QString &pattern)
{
    return operate(std::optional<FolderListing>(), [&reference, &pattern](Private &state) {
        ImapCommand command("LIST");
        command.string(MailboxNameCodec::encode(reference))
            .string(MailboxNameCodec::encode(pattern));
        const ImapReply reply = state.channel.runResuming(command);
        if (!state.note(reply))
            return std::optional<FolderListing>();
        return std::optional<FolderListing>(ListedFoldersOf(reply));
    });
}

QString ImapComponent::FailureText() const
{
    return d->failure;
}

bool ImapComponent::ServerAnswered() const
{
    return d->answered;
}

int ImapComponent::CloseConnection()
{
    d->channel.close();
    d->messages.memory().clear();
    d->fetchedFor.reset();
    return 1;
}

qint64 ImapComponent::DownloadedBytes() const
{
    return d->channel.bytesRead();
}

std::optional<qint64> ImapComponent::EstimateDownload(int first, int last)
{
    return operate(std::optional<qint64>(), [first, last](Private &state) {
        if (!state.channel.hasSelection()) {
            state.failure = QStringLiteral("no mailbox is selected");
            return std::optional<qint64>();
        }
        FetchFailure failure;
        const std::optional<qint64> bytes = state.messages.estimate(first, last, failure);
        state.failure = failure.text;
        return bytes;
    });
}

void ImapComponent::SetLocalCopy(std::shared_ptr<MessageStore> store)
{
    d->messages.setLocalCopy(std::move(store));
}

void ImapComponent::setMemoryBound(qint64 bytes)
{
    d->messages.memory().setBound(bytes);
}
