#pragma once

#include "ImapValue.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>
#include <utility>

class MessageList;
struct ImapReply;

// The items of one message's FETCH replies, names upper-cased (a server may split them over
// several replies): a handful, so a list beats a hash.
class FetchItems
{
public:
    // The items of every FETCH reply about a message of positions first..last, by position.
    // Replies are told apart by their UID: sequence numbers shift when messages are deleted.
    static QHash<qint64, FetchItems> byMessage(const ImapReply &reply, const MessageList &messages,
                                               qint64 first, qint64 last);

    void append(const QByteArray &name, const ImapValue &value) { m_items.append({name, value}); }
    const ImapValue *find(const QByteArray &name) const;
    std::optional<QByteArray> string(const QByteArray &name) const;
    // The header fields asked for, however the server echoed their list.
    std::optional<QByteArray> header() const;
    // A part's MIME header, an empty line, then its body.
    std::optional<QByteArray> part(const QByteArray &section) const;

private:
    QList<std::pair<QByteArray, ImapValue>> m_items;
};
