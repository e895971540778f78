#pragma once

#include "FetchFailure.h"
#include "FetchedMessage.h"
#include "ImapReply.h"
#include "ImapValue.h"
#include "SectionPlan.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>

class ImapChannel;
class MessageList;

// Fetches messages ahead of the caller, who asks for one message at a time, mostly in order, by
// its position in the run's message list; every command asks by UID.
// First the body structures of a window of messages (one FETCH for the window), then only the
// sections a row can come from, many messages per FETCH, in batches sized by bytes. Up to two
// commands are in flight (the structures of the next window behind the sections of this one, or a
// second batch of sections while the bytes asked for stay within the budget); they run on while
// the caller works on the message it was handed, and what they bring waits in a buffer bounded by
// bytes. Messages fetched ahead are simply dropped when the caller stops asking, and when the
// channel's epoch moves on (another command, a new selection, a close); a lost connection asks
// again from the caller's message on whatever was in flight.
class MessagePrefetcher
{
public:
    struct Limits
    {
        qint64 bufferBytes = qint64(4) << 20; // fetched ahead and not yet handed out
        int firstWindow = 500; // structures asked for at the start, for an early first row
        int window = 2000; // structures asked for at a time afterwards
    };

    struct Result
    {
        std::optional<FetchedMessage> message;
        bool fetchSingly = false; // ask for the whole message on its own instead
        FetchFailure failure;

        static Result singly()
        {
            Result result;
            result.fetchSingly = true;
            return result;
        }
    };

    MessagePrefetcher(ImapChannel &channel, const MessageList &list)
        : m_channel(channel), m_list(list)
    {
    }

    void setLimits(const Limits &limits) { m_limits = limits; }
    // Also fetch the HTML part of messages that have a plain text part.
    void setFetchHtml(bool fetch) { m_fetchHtml = fetch; }
    // Positions the caller already holds: never fetched here.
    void setHeld(std::function<bool(qint64)> held) { m_held = std::move(held); }

    // `reconnects` counts the reconnects spent on this message, here and in a fetch on its own.
    Result take(qint64 number, int &reconnects);
    // Before the run's list is known (its UID SEARCH ALL still in flight, the positions being
    // the sequence numbers): the first window of structures from `first` on, by sequence
    // numbers, which the replies' UIDs then place. False when it could not be sent.
    bool startFirstWindowBySequence(qint64 first, qint64 mailboxSize);
    bool isFetching() const { return !m_inFlight.isEmpty(); }
    // Waits for the command in flight, if any, and forgets everything fetched ahead.
    void abandon();
    void forget();

private:
    enum class Kind { None, Structures, Sections };
    using Plan = SectionPlan;

    struct InFlight
    {
        Kind kind = Kind::None;
        qint64 first = 0; // structures: the window
        qint64 last = 0;
        QList<Plan> plans; // sections: one per message asked for
    };

    enum class Step { Continue, Return };

    void followChannel();
    bool isExpected(qint64 number) const;
    void dropBefore(qint64 number);
    bool isHeld(qint64 number) const { return m_held && m_held(number); }
    QByteArray uidSet(const QList<qint64> &numbers) const;
    void topUp();
    bool startNext();
    qint64 committedBytes() const;
    bool structuresInFlight() const;
    bool startStructures(qint64 first);
    bool startSections(qint64 number);
    Step awaitInFlight(qint64 number, int &reconnects, Result &result);
    Step recoverConnection(const ImapReply &reply, qint64 number, int &reconnects, Result &result);
    void absorb(const ImapReply &reply, const InFlight &request);
    void absorbStructures(const ImapReply &reply, const InFlight &request);
    void absorbSections(const ImapReply &reply, const InFlight &request);

    ImapChannel &m_channel;
    const MessageList &m_list;
    std::function<bool(qint64)> m_held;
    quint64 m_epoch = 0; // the channel's epoch the state below belongs to
    Limits m_limits;
    bool m_fetchHtml = false;
    QList<InFlight> m_inFlight; // oldest first, as the channel hands the replies back
    QList<Plan> m_planned; // structure known, sections not yet asked for; in message order
    std::map<qint64, FetchedMessage> m_ready;
    qint64 m_readyBytes = 0;
    QSet<qint64> m_singly; // the batch could not bring these
    qint64 m_nextWindow = 0; // first message whose structure was not asked for; 0 before the start
    bool m_started = false;
    bool m_structuresAsked = false; // the first window after a start is the smaller one
};
