#include "FetchFailure.h"

namespace {

// Gmail's daily limits and its other account-wide refusals: every further FETCH gets the same.
bool refusalRepeats(const ImapResponse &completion)
{
    static const QByteArrayList codes {"OVERQUOTA", "ALERT", "UNAVAILABLE", "LIMIT"};
    const QByteArray code = completion.code.toUpper();
    for (const QByteArray &repeating : codes) {
        if (code == repeating || code.startsWith(repeating + ' '))
            return true;
    }
    return completion.raw.toLower().contains("bandwidth limits");
}

QString serverWords(const ImapReply &reply)
{
    const QString text = QString::fromUtf8(reply.completion.text).trimmed();
    return text.isEmpty() ? reply.failureText() : text;
}

} // namespace

FetchFailure FetchFailure::fromReply(const ImapReply &reply)
{
    FetchFailure failure;
    if (reply.isOk())
        return failure;
    if (reply.end == ImapReply::End::Aborted) {
        failure.kind = Kind::Stopped;
        failure.text = reply.failureText();
        return failure;
    }
    if (reply.end != ImapReply::End::Completed) {
        failure.kind = Kind::Run;
        failure.text = reply.failureText();
        return failure;
    }
    failure.byServer = true;
    if (refusalRepeats(reply.completion)) {
        failure.kind = Kind::Run;
        failure.text = serverWords(reply);
    } else {
        failure.kind = Kind::Message;
        failure.text = reply.failureText();
    }
    return failure;
}

FetchFailure FetchFailure::fromFailedReconnect(const ImapReply &reply)
{
    FetchFailure failure = fromReply(reply);
    if (failure.kind != Kind::Stopped) {
        failure.kind = Kind::Run;
        failure.text = reply.failureText();
    }
    return failure;
}

FetchFailure FetchFailure::ofMessage(const QString &text)
{
    FetchFailure failure;
    failure.kind = Kind::Message;
    failure.text = text;
    return failure;
}
