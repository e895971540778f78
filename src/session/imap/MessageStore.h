#pragma once

#include "FetchedMessage.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Names one message for as long as its mailbox keeps its UIDVALIDITY.
struct MessageKey
{
    QString mailbox;
    quint32 uidValidity = 0;
    quint32 uid = 0;

    friend bool operator==(const MessageKey &, const MessageKey &) = default;
};

// Somewhere fetched messages are kept so that a later run need not download them again: memory
// for the session, or a local copy on disk the user asked for. A store never decides what a run
// needs: a kept message that lacks a part the run asks for (see FetchedMessage::htmlIncluded) is
// fetched again.
class MessageStore
{
public:
    virtual ~MessageStore() = default;

    virtual std::optional<FetchedMessage> find(const MessageKey &key) = 0;
    // Keeps a batch as one unit: after a failure or a crash either all of it is kept or none.
    virtual void keep(const QList<std::pair<MessageKey, FetchedMessage>> &batch) = 0;
    // Drops everything kept for `mailbox` under another UIDVALIDITY than `uidValidity`.
    virtual void dropStale(const QString &mailbox, quint32 uidValidity) = 0;
};
