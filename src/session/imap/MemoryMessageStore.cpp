#include "MemoryMessageStore.h"

#include <QtGlobal>

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

size_t qHash(const MessageKey &key, size_t seed) noexcept
{
    return qHashMulti(seed, key.mailbox, key.uidValidity, key.uid);
}

qint64 MemoryMessageStore::defaultBound()
{
    constexpr qint64 ceiling = qint64(1) << 30;
#if defined(Q_OS_UNIX)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        return std::min(ceiling, qint64(pages) * pageSize / 4);
#endif
    return ceiling;
}

std::optional<KeptMessage> MemoryMessageStore::find(const MessageKey &key)
{
    const auto found = m_index.constFind(key);
    if (found == m_index.cend())
        return std::nullopt;
    m_entries.splice(m_entries.begin(), m_entries, *found);
    return m_entries.front().second;
}

bool MemoryMessageStore::holds(const MessageKey &key, bool html) const
{
    const auto found = m_index.constFind(key);
    return found != m_index.cend() && (!html || (*found)->second.htmlIncluded);
}

void MemoryMessageStore::keep(const MessageKey &key, const KeptMessage &message)
{
    if (const auto found = m_index.constFind(key); found != m_index.cend())
        erase(*found);
    m_entries.emplace_front(key, message);
    m_index.insert(key, m_entries.begin());
    m_bytes += message.size();
    trim();
}

void MemoryMessageStore::dropStale(const QString &mailbox, quint32 uidValidity)
{
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        const auto next = std::next(entry);
        if (entry->first.mailbox == mailbox && entry->first.uidValidity != uidValidity)
            erase(entry);
        entry = next;
    }
}

void MemoryMessageStore::clear()
{
    m_entries.clear();
    m_index.clear();
    m_bytes = 0;
}

void MemoryMessageStore::setBound(qint64 boundBytes)
{
    m_bound = boundBytes;
    trim();
}

void MemoryMessageStore::erase(Entries::iterator entry)
{
    m_bytes -= entry->second.size();
    m_index.remove(entry->first);
    m_entries.erase(entry);
}

void MemoryMessageStore::trim()
{
    while (m_bytes > m_bound && !m_entries.empty())
        erase(std::prev(m_entries.end()));
}
