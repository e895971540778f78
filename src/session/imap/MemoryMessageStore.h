#pragma once

#include "MessageStore.h"

#include <QHash>

#include <list>
#include <optional>

// What the session read, kept in memory for the next run over the same mailbox, bounded by
// bytes: the least recently used message goes first.
class MemoryMessageStore final
{
public:
    // A quarter of physical memory, at most 1 GB.
    static qint64 defaultBound();

    explicit MemoryMessageStore(qint64 boundBytes = defaultBound()) : m_bound(boundBytes) { }

    std::optional<KeptMessage> find(const MessageKey &key);
    // Held, and with its HTML text when `html` asks for it; the order of use is not touched.
    bool holds(const MessageKey &key, bool html) const;
    void keep(const MessageKey &key, const KeptMessage &message);
    void dropStale(const QString &mailbox, quint32 uidValidity);

    void clear();
    void setBound(qint64 boundBytes);
    qint64 heldBytes() const { return m_bytes; }
    qsizetype count() const { return m_entries.size(); }

private:
    using Entry = std::pair<MessageKey, KeptMessage>;
    using Entries = std::list<Entry>; // most recently used first

    void erase(Entries::iterator entry);
    void trim();

    qint64 m_bound;
    qint64 m_bytes = 0;
    Entries m_entries;
    QHash<MessageKey, Entries::iterator> m_index;
};
