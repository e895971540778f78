#include "KeptMessages.h"

#include "imap/MessageList.h"

#include <QSet>

#include <algorithm>

namespace {

// Local copy reads and writes, each a single statement or transaction for this many messages.
constexpr qint64 readAheadMessages = 128;
constexpr qsizetype batchMessages = 256;
constexpr qint64 batchBytes = qint64(16) * 1024 * 1024;

} // namespace

KeptMessages::~KeptMessages()
{
    flush();
}

void KeptMessages::setLocalCopy(std::shared_ptr<MessageStore> store)
{
    flush();
    m_local = std::move(store);
    m_localUids.clear();
    m_readAhead.clear();
    if (m_local && m_list.isLoaded() && m_list.uidValidity() != 0)
        m_localUids = m_local->held(m_list.mailbox(), m_list.uidValidity());
}

void KeptMessages::listChanged()
{
    flush();
    m_readAhead.clear();
    m_localUids.clear();
    m_memory.dropStale(m_list.mailbox(), m_list.uidValidity());
    if (!m_local)
        return;
    m_local->dropStale(m_list.mailbox(), m_list.uidValidity());
    if (m_list.uidValidity() != 0)
        m_localUids = m_local->held(m_list.mailbox(), m_list.uidValidity());
}

MessageKey KeptMessages::keyAt(qint64 position) const
{
    return MessageKey {m_list.mailbox(), m_list.uidValidity(), m_list.uidAt(position).value_or(0)};
}

bool KeptMessages::isHeldLocally(quint32 uid, bool html) const
{
    const auto found = m_localUids.constFind(uid);
    return found != m_localUids.cend() && (!html || *found);
}

bool KeptMessages::isHeld(qint64 position, bool html) const
{
    const MessageKey key = keyAt(position);
    if (key.uid == 0 || key.uidValidity == 0)
        return false;
    return m_memory.holds(key, html) || isHeldLocally(key.uid, html);
}

// Memory first, then the local copy; what the local copy gives is kept in memory too.
std::optional<KeptMessage> KeptMessages::find(qint64 position, bool html)
{
    const MessageKey key = keyAt(position);
    if (key.uid == 0 || key.uidValidity == 0)
        return std::nullopt;
    if (m_memory.holds(key, html)) {
        std::optional<KeptMessage> kept = m_memory.find(key);
        // Read before the user asked for a local copy: it goes there now.
        if (m_local && !isHeldLocally(key.uid, html))
            waitForLocalCopy(key, *kept);
        return kept;
    }
    if (!m_local || !isHeldLocally(key.uid, html))
        return std::nullopt;
    if (!m_readAhead.contains(key.uid))
        readAhead(position, html);
    std::optional<KeptMessage> kept = m_readAhead.take(key.uid);
    if (kept && (!html || kept->htmlIncluded))
        m_memory.keep(key, *kept);
    else
        kept.reset(); // changed under us: fetched again
    return kept;
}

// The next messages the run will want from the local copy, in one read.
void KeptMessages::readAhead(qint64 position, bool html)
{
    m_readAhead.clear();
    QSet<quint32> wanted;
    for (qint64 next = position; next <= m_list.size() && wanted.size() < readAheadMessages;
         ++next) {
        const MessageKey key = keyAt(next);
        if (isHeldLocally(key.uid, html) && !m_memory.holds(key, html))
            wanted.insert(key.uid);
    }
    if (wanted.isEmpty())
        return;
    const auto [first, last] = std::minmax_element(wanted.cbegin(), wanted.cend());
    for (auto &[uid, message] :
         m_local->find(m_list.mailbox(), m_list.uidValidity(), *first, *last)) {
        if (wanted.contains(uid))
            m_readAhead.insert(uid, std::move(message));
    }
}

// A server that names no UIDVALIDITY gives no way to tell its UIDs will hold: nothing is kept.
void KeptMessages::keep(qint64 position, const KeptMessage &message)
{
    const MessageKey key = keyAt(position);
    if (key.uid == 0 || key.uidValidity == 0)
        return;
    m_memory.keep(key, message);
    if (m_local)
        waitForLocalCopy(key, message);
}

void KeptMessages::waitForLocalCopy(const MessageKey &key, const KeptMessage &message)
{
    m_waiting.append({key, message});
    m_waitingBytes += message.size();
    if (m_waiting.size() >= batchMessages || m_waitingBytes >= batchBytes)
        flush();
}

void KeptMessages::flush()
{
    if (m_waiting.isEmpty())
        return;
    // Not counted as held locally until the copy is read again: a batch the copy refused would
    // otherwise be skipped by the run's fetching and then not found.
    if (m_local)
        m_local->keep(m_waiting);
    m_waiting.clear();
    m_waitingBytes = 0;
}
