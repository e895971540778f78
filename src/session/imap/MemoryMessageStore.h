#pragma once

#include "MessageStore.h"

#include <QHash>

#include <list>

// What the session fetched, kept in memory for the next run over the same mailbox, bounded by
// bytes: the least recently used message goes first.
class MemoryMessageStore final : public MessageStore
{
public:
    // A quarter of physical memory, at most 1 GB.
    static qint64 defaultBound();

    explicit MemoryMessageStore(qint64 boundBytes = defaultBound()) : m_bound(boundBytes) { }

    std::optional<FetchedMessage> find(const MessageKey &key) override;
    void keep(const QList<std::pair<MessageKey, FetchedMessage>> &batch) override;
    void dropStale(const QString &mailbox, quint32 uidValidity) override;

    void clear();
    void setBound(qint64 boundBytes);
    qint64 heldBytes() const { return m_bytes; }
    qsizetype count() const { return m_entries.size(); }

private:
    using Entry = std::pair<MessageKey, FetchedMessage>;
    using Entries = std::list<Entry>; // most recently used first

    void keepOne(const MessageKey &key, const FetchedMessage &message);
    void erase(Entries::iterator entry);
    void trim();

    qint64 m_bound;
    qint64 m_bytes = 0;
    Entries m_entries;
    QHash<MessageKey, Entries::iterator> m_index;
};

size_t qHash(const MessageKey &key, size_t seed = 0) noexcept;
