#include "MessageList.h"

#include <algorithm>

void MessageList::assign(const QString &mailbox, quint32 uidValidity, const QList<quint32> &uids)
{
    m_loaded = true;
    m_mailbox = mailbox;
    m_uidValidity = uidValidity;
    m_uids = uids;
    m_positions.clear();
    m_positions.reserve(uids.size());
    for (qsizetype i = 0; i < uids.size(); ++i)
        m_positions.insert(uids.at(i), i + 1);
}

void MessageList::clear()
{
    *this = MessageList();
}

std::optional<quint32> MessageList::uidAt(qint64 position) const
{
    if (position < 1 || position > m_uids.size())
        return std::nullopt;
    return m_uids.at(position - 1);
}

std::optional<qint64> MessageList::positionOf(quint32 uid) const
{
    const auto found = m_positions.constFind(uid);
    if (found == m_positions.cend())
        return std::nullopt;
    return *found;
}

QByteArray MessageList::uidSet(const QList<qint64> &positions) const
{
    QByteArray set;
    for (qsizetype i = 0; i < positions.size();) {
        const quint32 first = uidAt(positions.at(i)).value_or(0);
        quint32 last = first;
        qsizetype j = i + 1;
        while (j < positions.size() && uidAt(positions.at(j)).value_or(0) == last + 1) {
            ++last;
            ++j;
        }
        if (!set.isEmpty())
            set += ',';
        set += QByteArray::number(first);
        if (last > first)
            set += ':' + QByteArray::number(last);
        i = j;
    }
    return set;
}

std::optional<QList<quint32>> MessageList::searchResult(const ImapReply &reply)
{
    QList<quint32> uids;
    for (const ImapResponse &response : reply.untagged) {
        if (response.name != "SEARCH")
            continue;
        const QList<QByteArray> words = response.raw.simplified().split(' ');
        for (qsizetype i = 2; i < words.size(); ++i) {
            bool ok = false;
            const uint uid = words.at(i).toUInt(&ok);
            if (!ok || uid == 0)
                return std::nullopt;
            uids.append(uid);
        }
    }
    // Servers need not answer in order; the run goes in mailbox order, which UIDs follow.
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    return uids;
}
