#pragma once

#include "FetchFailure.h"

#include <QByteArray>
#include <QString>

#include <optional>

class ImapChannel;

// How the bytes of one message are fetched. Kept behind this one class so that it can later fetch
// ahead in batches, or only the parts a row can come from, while callers still ask for one
// message at a time and see the same results in the same order.
class MessageFetcher
{
public:
    struct Result
    {
        std::optional<QByteArray> raw; // the whole message as the server stores it
        FetchFailure failure;
        bool absent = false; // the server answered with nothing about the message: it is gone
    };

    explicit MessageFetcher(ImapChannel &channel) : m_channel(channel) { }

    // Message `number` of the selected mailbox: a sequence number, or a UID when `byUid`.
    // The message's \Seen flag stays as it is. `reconnects` counts the reconnects spent on this
    // message so far.
    Result fetch(qint64 number, bool byUid, int &reconnects) const;
    // Message `number` out of an OK reply to its FETCH: by sequence number, or by UID.
    static Result pick(const ImapReply &reply, qint64 number, bool byUid);

private:
    ImapChannel &m_channel;
};
