#include "MessageFetcher.h"

#include "ImapChannel.h"
#include "ImapCommand.h"

namespace {

bool isResponseFor(const ImapResponse &response, qint64 number, bool byUid)
{
    if (response.name != "FETCH")
        return false;
    if (!byUid)
        return response.number == number;
    const std::optional<ImapValue> uid = response.fetchItem("UID");
    return uid && uid->toNumber() == number;
}

} // namespace

MessageFetcher::Result MessageFetcher::fetch(qint64 number, bool byUid, int &reconnects) const
{
    ImapCommand command(byUid ? QByteArrayLiteral("UID FETCH") : QByteArrayLiteral("FETCH"));
    command.arg(QByteArray::number(number)).arg("(BODY.PEEK[])");
    bool wayBackFailed = false;
    const ImapReply reply = m_channel.runResuming(command, reconnects, wayBackFailed);

    if (!reply.isOk()) {
        Result result;
        result.failure = wayBackFailed ? FetchFailure::fromFailedReconnect(reply)
                                       : FetchFailure::fromReply(reply);
        return result;
    }
    return pick(reply, number, byUid);
}

MessageFetcher::Result MessageFetcher::pick(const ImapReply &reply, qint64 number, bool byUid)
{
    Result result;
    result.absent = true;
    for (const ImapResponse &response : reply.untagged) {
        if (!isResponseFor(response, number, byUid))
            continue;
        result.absent = false;
        const std::optional<ImapValue> body = response.fetchItem("BODY[]");
        if (body && body->isString()) {
            result.raw = body->bytes();
            return result;
        }
    }
    result.failure = FetchFailure::ofMessage(
        QStringLiteral("the server sent no content for message %1").arg(number));
    return result;
}
