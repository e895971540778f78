#pragma once

#include "KeptMessage.h"

#include <QHash>
#include <QList>
#include <QString>

#include <utility>

// Names one message for as long as its mailbox keeps its UIDVALIDITY.
struct MessageKey
{
    QString mailbox;
    quint32 uidValidity = 0;
    quint32 uid = 0;

    friend bool operator==(const MessageKey &, const MessageKey &) = default;
};

size_t qHash(const MessageKey &key, size_t seed = 0) noexcept;

// Somewhere messages a run read are kept across sessions (the local copy on disk the user asked
// for), so that a later run need not download them again. A store never decides what a run
// needs: a kept message that lacks a part the run asks for (see KeptMessage::htmlIncluded) is
// fetched again.
class MessageStore
{
public:
    virtual ~MessageStore() = default;

    // The UIDs kept for `mailbox` under `uidValidity`, each with its htmlIncluded.
    virtual QHash<quint32, bool> held(const QString &mailbox, quint32 uidValidity) = 0;
    // The kept messages of `mailbox` whose UIDs lie in firstUid..lastUid, in one read.
    virtual QList<std::pair<quint32, KeptMessage>> find(const QString &mailbox, quint32 uidValidity,
                                                        quint32 firstUid, quint32 lastUid) = 0;
    // Keeps a batch as one unit: after a failure or a crash either all of it is kept or none.
    virtual void keep(const QList<std::pair<MessageKey, KeptMessage>> &batch) = 0;
    // Drops everything kept for `mailbox` under another UIDVALIDITY than `uidValidity`.
    virtual void dropStale(const QString &mailbox, quint32 uidValidity) = 0;
};
