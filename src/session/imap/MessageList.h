#pragma once

#include "ImapReply.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The messages a run goes over, as UIDs in mailbox order: the whole selected mailbox, or what a
// search found in it. The run numbers them 1..size(), and every fetch asks by UID, so a message
// deleted elsewhere during the run shifts nothing after it.
class MessageList
{
public:
    void assign(const QString &mailbox, quint32 uidValidity, const QList<quint32> &uids);
    void clear();

    bool isLoaded() const { return m_loaded; }
    const QString &mailbox() const { return m_mailbox; }
    quint32 uidValidity() const { return m_uidValidity; }
    qint64 size() const { return m_uids.size(); }
    std::optional<quint32> uidAt(qint64 position) const;
    std::optional<qint64> positionOf(quint32 uid) const;
    // The UIDs of positions `positions` (ascending) as a UID set: "4:6,9".
    QByteArray uidSet(const QList<qint64> &positions) const;

    // The UIDs of the "* SEARCH" lines of a reply, ascending; nullopt when a number is unreadable.
    static std::optional<QList<quint32>> searchResult(const ImapReply &reply);

private:
    bool m_loaded = false;
    QString m_mailbox;
    quint32 m_uidValidity = 0;
    QList<quint32> m_uids;
    QHash<quint32, qint64> m_positions;
};
