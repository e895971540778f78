#pragma once

#include "imap/MemoryMessageStore.h"
#include "imap/MessageStore.h"

#include <QHash>
#include <QList>

#include <memory>
#include <optional>
#include <utility>

class MessageList;

// What a run may take instead of downloading: the messages the session read (in memory), and
// the user's local copy when one is kept. Messages are found by their position in the run's
// list; the local copy is read ahead many messages at a time and written in batches, each one
// transaction.
class KeptMessages
{
public:
    explicit KeptMessages(const MessageList &list) : m_list(list) { }
    ~KeptMessages();
    Q_DISABLE_COPY_MOVE(KeptMessages)

    MemoryMessageStore &memory() { return m_memory; }
    // What is waiting for the old copy is written to it first.
    void setLocalCopy(std::shared_ptr<MessageStore> store);
    // Whether anything may be kept for the list: then a run need not ask for every structure.
    bool mayHoldAny() const { return m_local || m_memory.count() > 0; }

    // The list was read anew: what its UIDVALIDITY no longer names goes, and what the local
    // copy holds of it is learnt.
    void listChanged();
    // Whether the message at `position` is kept with its HTML text when `html` asks for it.
    bool isHeld(qint64 position, bool html) const;
    std::optional<KeptMessage> find(qint64 position, bool html);
    void keep(qint64 position, const KeptMessage &message);
    // Writes what waits for the local copy.
    void flush();

private:
    MessageKey keyAt(qint64 position) const;
    bool isHeldLocally(quint32 uid, bool html) const;
    void readAhead(qint64 position, bool html);
    void waitForLocalCopy(const MessageKey &key, const KeptMessage &message);

    const MessageList &m_list;
    MemoryMessageStore m_memory;
    std::shared_ptr<MessageStore> m_local;
    QHash<quint32, bool> m_localUids; // kept in the local copy: UID to htmlIncluded
    QHash<quint32, KeptMessage> m_readAhead;
    QList<std::pair<MessageKey, KeptMessage>> m_waiting;
    qint64 m_waitingBytes = 0;
};
