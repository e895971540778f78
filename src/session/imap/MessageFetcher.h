#pragma once

#include "ImapReply.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class ImapCommand;

// How the bytes of one message are fetched. Kept behind this one class so that it can later fetch
// ahead in batches, or only the parts a row can come from, while callers still ask for one
// message at a time and see the same results in the same order.
class MessageFetcher
{
public:
    // Runs one command to its end (reconnecting if it must) and returns how it ended.
    using Runner = std::function<ImapReply(const ImapCommand &)>;

    struct Result
    {
        std::optional<QByteArray> raw; // the whole message as the server stores it
        QString failure;
        bool destroyed = false; // the component went away while fetching
    };

    explicit MessageFetcher(Runner run);

    // Message `number` of the selected mailbox: a sequence number, or a UID when `byUid`.
    // The message's \Seen flag stays as it is.
    Result fetch(qint64 number, bool byUid) const;

private:
    Runner m_run;
};
