#include "MessagePrefetcher.h"

#include "ImapChannel.h"
#include "ImapCommand.h"
#include "FetchItems.h"
#include "MessageList.h"

#include <algorithm>

namespace {

// Bounds on one FETCH of sections: servers limit the length of a command line.
constexpr int maxMessagesPerBatch = 1000;
constexpr qsizetype maxSequenceSetLength = 4000;

} // namespace

MessagePrefetcher::Result MessagePrefetcher::take(qint64 number, int &reconnects)
{
    Result result;
    for (;;) {
        followChannel();
        if (const auto ready = m_ready.find(number); ready != m_ready.end()) {
            result.message = std::move(ready->second);
            m_readyBytes -= result.message->size();
            m_ready.erase(ready);
            dropBefore(number + 1);
            topUp();
            return result;
        }
        if (!isExpected(number)) {
            abandon();
            m_nextWindow = number;
            m_started = true;
        }
        if (isFetching()) {
            if (awaitInFlight(number, reconnects, result) == Step::Return)
                return result;
            continue;
        }
        if (m_singly.remove(number)) {
            dropBefore(number + 1);
            return Result::singly();
        }
        const bool started =
            number == m_nextWindow ? startStructures(number) : startSections(number);
        if (!started) {
            forget();
            return Result::singly();
        }
        topUp(); // the next command goes out before this one's reply comes back
    }
}

bool MessagePrefetcher::startFirstWindowBySequence(qint64 first, qint64 mailboxSize)
{
    followChannel();
    if (isFetching() || first < 1 || first > mailboxSize)
        return false;
    forget();
    const qint64 last = std::min(mailboxSize, first + qMax(1, m_limits.firstWindow) - 1);
    ImapCommand command("FETCH");
    const QByteArray range =
        QByteArray::number(first) + (last > first ? ':' + QByteArray::number(last) : QByteArray());
    command.arg(range).arg("(UID RFC822.SIZE BODYSTRUCTURE)");
    if (!m_channel.start(command))
        return false;
    m_started = true;
    m_structuresAsked = true;
    m_nextWindow = last + 1;
    m_inFlight.append(InFlight {Kind::Structures, first, last, {}});
    return true;
}

// Another command, a new selection or a close on the channel made what is held here stale.
void MessagePrefetcher::followChannel()
{
    if (m_epoch == m_channel.epoch())
        return;
    forget();
    m_epoch = m_channel.epoch();
}

bool MessagePrefetcher::isExpected(qint64 number) const
{
    if (!m_started)
        return false;
    if (m_singly.contains(number) || number == m_nextWindow)
        return true;
    const auto isFor = [number](const Plan &plan) { return plan.number == number; };
    for (const InFlight &request : m_inFlight) {
        if (request.kind == Kind::Structures && number >= request.first && number <= request.last)
            return true;
        if (std::any_of(request.plans.cbegin(), request.plans.cend(), isFor))
            return true;
    }
    return std::any_of(m_planned.cbegin(), m_planned.cend(), isFor);
}

// The caller went past these: what was fetched of them will not be asked for.
void MessagePrefetcher::dropBefore(qint64 number)
{
    const auto end = m_ready.lower_bound(number);
    for (auto it = m_ready.begin(); it != end; ++it)
        m_readyBytes -= it->second.size();
    m_ready.erase(m_ready.begin(), end);
    if (!m_singly.isEmpty())
        m_singly.removeIf([number](qint64 single) { return single < number; });
    const auto planned = std::find_if(m_planned.cbegin(), m_planned.cend(),
                                      [number](const Plan &plan) { return plan.number >= number; });
    m_planned.erase(m_planned.cbegin(), planned);
}

void MessagePrefetcher::topUp()
{
    while (m_inFlight.size() < ImapChannel::maxStarted && startNext()) { }
}

// Sections while the bytes held and asked for stay within the budget; once a window's sections
// are all asked for, the next window's structures (small: they may go out behind the last
// sections while what is held is within the budget).
bool MessagePrefetcher::startNext()
{
    if (!m_planned.isEmpty())
        return committedBytes() < m_limits.bufferBytes && startSections(m_planned.first().number);
    if (structuresInFlight() || m_readyBytes >= m_limits.bufferBytes || m_nextWindow < 1
        || m_nextWindow > m_list.size())
        return false;
    return startStructures(m_nextWindow);
}

qint64 MessagePrefetcher::committedBytes() const
{
    qint64 bytes = m_readyBytes;
    for (const InFlight &request : m_inFlight) {
        for (const Plan &plan : request.plans)
            bytes += plan.estimatedBytes;
    }
    return bytes;
}

bool MessagePrefetcher::structuresInFlight() const
{
    return std::any_of(m_inFlight.cbegin(), m_inFlight.cend(),
                       [](const InFlight &request) { return request.kind == Kind::Structures; });
}

QByteArray MessagePrefetcher::uidSet(const QList<qint64> &numbers) const
{
    return m_list.uidSet(numbers);
}

// The structures of the window from `first` on, leaving out what the caller holds; a window held
// whole costs no command, and the next one is asked for instead.
bool MessagePrefetcher::startStructures(qint64 first)
{
    const qint64 count = m_list.size();
    QList<qint64> numbers;
    qint64 last = first - 1;
    while (numbers.isEmpty() && last < count) {
        const int window = m_structuresAsked ? m_limits.window : m_limits.firstWindow;
        first = last + 1;
        last = std::min(count, first + qMax(1, window) - 1);
        for (qint64 number = first; number <= last; ++number) {
            if (!isHeld(number))
                numbers.append(number);
        }
        m_structuresAsked = true;
        m_nextWindow = last + 1;
    }
    if (numbers.isEmpty())
        return false;
    ImapCommand command("UID FETCH");
    command.arg(uidSet(numbers)).arg("(RFC822.SIZE BODYSTRUCTURE)");
    if (!m_channel.start(command))
        return false;
    m_inFlight.append(InFlight {Kind::Structures, first, last, {}});
    return true;
}

// One FETCH for the planned messages that need the same items as `number`, starting there.
bool MessagePrefetcher::startSections(qint64 number)
{
    const auto from = std::find_if(m_planned.cbegin(), m_planned.cend(),
                                   [number](const Plan &plan) { return plan.number == number; });
    if (from == m_planned.cend())
        return false;
    const QByteArray items = from->items;
    // Half the budget a batch: the next one can go out while this one's messages are used.
    const qint64 batchBytes = std::max<qint64>(1, m_limits.bufferBytes / 2);
    InFlight request {Kind::Sections, 0, 0, {}};
    QList<qint64> numbers;
    qint64 bytes = 0;
    qsizetype setLength = 0; // at most: every number written out with its separator
    for (auto it = from; it != m_planned.cend(); ++it) {
        if (it->items != items)
            continue;
        if (!numbers.isEmpty()
            && (bytes + it->estimatedBytes > batchBytes || numbers.size() >= maxMessagesPerBatch
                || setLength > maxSequenceSetLength))
            break;
        bytes += it->estimatedBytes;
        setLength += QByteArray::number(m_list.uidAt(it->number).value_or(0)).size() + 1;
        numbers.append(it->number);
        request.plans.append(*it);
    }
    ImapCommand command("UID FETCH");
    command.arg(uidSet(numbers)).arg(items);
    if (!m_channel.start(command, bytes))
        return false;
    m_planned.removeIf([&numbers](const Plan &plan) {
        return std::binary_search(numbers.cbegin(), numbers.cend(), plan.number);
    });
    request.first = numbers.first();
    request.last = numbers.last();
    m_inFlight.append(request);
    return true;
}

MessagePrefetcher::Step MessagePrefetcher::awaitInFlight(qint64 number, int &reconnects,
                                                         Result &result)
{
    const InFlight request = m_inFlight.takeFirst();
    const ImapReply reply = m_channel.awaitStarted();
    switch (reply.end) {
    case ImapReply::End::Completed:
        absorb(reply, request);
        return Step::Continue;
    case ImapReply::End::ConnectionLost:
        return recoverConnection(reply, number, reconnects, result);
    case ImapReply::End::Unreadable:
        if (request.kind == Kind::Structures) {
            // A body structure the parser refuses must not cost the whole window: those
            // messages are fetched whole, one at a time, where the fault stays with its message.
            for (qint64 single = request.first; single <= request.last; ++single)
                m_singly.insert(single);
            return recoverConnection(reply, number, reconnects, result);
        }
        break;
    default:
        break;
    }
    abandon(); // a command behind it ended with the connection
    result.failure = FetchFailure::fromReply(reply);
    return Step::Return;
}

MessagePrefetcher::Step MessagePrefetcher::recoverConnection(const ImapReply &reply, qint64 number,
                                                             int &reconnects, Result &result)
{
    const QSet<qint64> singly = m_singly;
    forget();
    const ImapReply resumed = m_channel.recover(reply, reconnects);
    m_epoch = m_channel.epoch();
    if (!resumed.isOk()) {
        result.failure = FetchFailure::fromFailedReconnect(resumed);
        return Step::Return;
    }
    m_singly = singly;
    m_started = true;
    m_nextWindow = number;
    return Step::Continue;
}

void MessagePrefetcher::abandon()
{
    while (!m_inFlight.isEmpty()) {
        m_inFlight.removeFirst();
        m_channel.awaitStarted();
    }
    forget();
}

void MessagePrefetcher::forget()
{
    m_inFlight.clear();
    m_planned.clear();
    m_ready.clear();
    m_readyBytes = 0;
    m_singly.clear();
    m_nextWindow = 0;
    m_started = false;
    m_structuresAsked = false;
}

void MessagePrefetcher::absorb(const ImapReply &reply, const InFlight &request)
{
    if (request.kind == Kind::Structures)
        absorbStructures(reply, request);
    else
        absorbSections(reply, request);
}

// A message the reply left out is asked for on its own, where a deleted one shows as such.
void MessagePrefetcher::absorbStructures(const ImapReply &reply, const InFlight &request)
{
    const auto found = FetchItems::byMessage(reply, m_list, request.first, request.last);
    for (qint64 number = request.first; number <= request.last; ++number) {
        if (isHeld(number))
            continue;
        const auto items = found.constFind(number);
        if (items == found.cend()) {
            m_singly.insert(number);
            continue;
        }
        const ImapValue *size = items->find("RFC822.SIZE");
        m_planned.append(SectionPlan::forMessage(number, items->find("BODYSTRUCTURE"),
                                                 size ? size->toNumber() : std::nullopt,
                                                 m_fetchHtml, m_limits.bufferBytes));
    }
}

void MessagePrefetcher::absorbSections(const ImapReply &reply, const InFlight &request)
{
    const auto found = FetchItems::byMessage(reply, m_list, request.first, request.last);
    for (const Plan &plan : request.plans) {
        const auto entry = found.constFind(plan.number);
        static const FetchItems none;
        std::optional<FetchedMessage> message = plan.read(entry == found.cend() ? none : *entry);
        if (!message) {
            m_singly.insert(plan.number);
            continue;
        }
        m_readyBytes += message->size();
        m_ready.insert_or_assign(plan.number, std::move(*message));
    }
}
