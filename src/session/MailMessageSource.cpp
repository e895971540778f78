#include "MailMessageSource.h"

#include "KeptTexts.h"

#include "imap/FetchFailure.h"
#include "imap/FetchedMessage.h"
#include "imap/ImapChannel.h"
#include "imap/MemoryMessageStore.h"
#include "imap/MessageFetcher.h"
#include "imap/MessagePrefetcher.h"

#include <QLocale>

MailMessageSource::MailMessageSource(ImapChannel &channel)
    : m_channel(channel),
      m_whole(std::make_unique<MessageFetcher>(channel)),
      m_ahead(std::make_unique<MessagePrefetcher>(channel, m_list))
{
    m_ahead->setHeld([this](qint64 position) { return isHeld(position); });
}

MailMessageSource::~MailMessageSource() = default;

void MailMessageSource::setFetchHtmlBodies(bool fetch)
{
    m_fetchHtml = fetch;
    m_ahead->setFetchHtml(fetch);
}

void MailMessageSource::setFetchAheadLimits(qint64 bufferBytes, int firstWindow, int window)
{
    m_ahead->setLimits({bufferBytes, firstWindow, window});
}

bool MailMessageSource::narrow(const QString &mailbox, const std::optional<ImapCommand> &search,
                               FetchFailure &failure)
{
    if (!search && !m_search)
        return true; // the whole mailbox as before: its list is read at the first fetch
    m_searchMailbox = mailbox;
    m_search = search;
    m_listSelection = 0;
    m_sizesSelection = 0;
    m_list.clear();
    return !search || !m_channel.hasSelection() || ensureList(failure);
}

ImapReply MailMessageSource::selectForCount(const QString &mailbox, bool wholeMailbox)
{
    m_sizesSelection = 0;
    m_sizesAhead.clear();
    if (!wholeMailbox || (m_search && m_searchMailbox == mailbox) || m_kept.mayHoldAny())
        return m_channel.select(mailbox);
    ImapCommand all("UID SEARCH");
    all.arg("ALL");
    ImapCommand sizes("FETCH");
    sizes.arg("1:*").arg("(UID RFC822.SIZE)");
    QList<ImapReply> behind;
    const ImapReply reply = m_channel.select(mailbox, false, {all, sizes}, behind);
    FetchFailure failure; // a list refused here is asked for again when it is needed
    if (!reply.isOk() || behind.size() != 2 || !takeList(behind.at(0), failure)
        || !behind.at(1).isOk())
        return reply;
    m_sizesAhead.fill(-1, m_list.size());
    forEachSize(behind.at(1),
                [this](qint64 position, qint64 size) { m_sizesAhead[position - 1] = size; });
    m_sizesSelection = m_channel.selection();
    return reply;
}

// What the count's flight said of positions first..last, leaving out what is held; nullopt when
// it brought nothing for this list or left a message out.
std::optional<qint64> MailMessageSource::sizesAheadOf(int first, int last)
{
    if (m_sizesSelection == 0 || m_sizesSelection != m_channel.selection() || !count())
        return std::nullopt;
    qint64 bytes = 0;
    for (qint64 position = std::max(1, first); position <= std::min<qint64>(last, m_list.size());
         ++position) {
        const qint64 size = m_sizesAhead.value(position - 1, -1);
        if (size < 0)
            return std::nullopt;
        if (!isHeld(position))
            bytes += size;
    }
    return bytes;
}

std::optional<int> MailMessageSource::count() const
{
    if (!m_list.isLoaded() || m_listSelection != m_channel.selection())
        return std::nullopt;
    return int(m_list.size());
}

// One UID SEARCH per selection: the run's numbering from then on, whatever is deleted or added.
bool MailMessageSource::ensureList(FetchFailure &failure, qint64 firstWanted)
{
    if (count())
        return true;
    const QString mailbox = m_channel.selectedMailbox();
    ImapCommand all("UID SEARCH");
    all.arg("ALL");
    const bool narrowed = m_search && m_searchMailbox == mailbox;
    const std::optional<ImapReply> early =
        narrowed ? std::nullopt : listWithFirstWindow(all, firstWanted);
    const ImapReply reply = early && early->end != ImapReply::End::ConnectionLost
        ? *early
        : m_channel.runResuming(narrowed ? *m_search : all);
    return takeList(reply, failure);
}

bool MailMessageSource::takeList(const ImapReply &reply, FetchFailure &failure)
{
    const QString mailbox = m_channel.selectedMailbox();
    const std::optional<QList<quint32>> uids =
        reply.isOk() ? MessageList::searchResult(reply) : std::nullopt;
    if (!uids) {
        failure = reply.isOk() ? FetchFailure::fromReply(ImapReply::ended(
                      ImapReply::End::Unreadable,
                      QStringLiteral("the server's list of messages was unreadable")))
                               : FetchFailure::fromReply(reply);
        if (failure.kind == FetchFailure::Kind::Message)
            failure.kind = FetchFailure::Kind::Run; // no list, no run
        return false;
    }
    m_list.assign(mailbox, m_channel.uidValidity(), *uids);
    m_listSelection = m_channel.selection();
    m_channel.noteSelectionCurrent();
    m_kept.listChanged();
    return true;
}

// The whole mailbox's list and the first window of structures in one flight: positions are
// sequence numbers then. Not when something may be held already (its structure is not needed),
// and the structures are dropped unless the list came back.
std::optional<ImapReply> MailMessageSource::listWithFirstWindow(const ImapCommand &search,
                                                                qint64 first)
{
    if (first < 1 || m_kept.mayHoldAny() || first > m_channel.messageCount()
        || m_channel.hasStarted() || !m_channel.start(search))
        return std::nullopt;
    m_ahead->startFirstWindowBySequence(first, m_channel.messageCount());
    const ImapReply reply = m_channel.awaitStarted();
    if (!reply.isOk())
        m_ahead->abandon();
    return reply;
}

std::optional<MailMessage> MailMessageSource::fetch(int number, bool byUid, FetchFailure &failure)
{
    failure = FetchFailure();
    int reconnects = 0; // shared by every try at this one message
    if (byUid)
        return fetchWhole(number, true, reconnects, failure);
    if (!ensureList(failure, number))
        return std::nullopt;
    if (number > m_list.size()) {
        failure.kind = FetchFailure::Kind::MailboxEnded;
        failure.text = QStringLiteral("the folder now holds %1 messages")
                           .arg(QLocale().toString(m_list.size()));
        return std::nullopt;
    }
    std::optional<MailMessage> message = keptOrFetched(number, reconnects, failure);
    // The run's last message: what waits for the local copy is written now, not at the next run.
    if (number == m_list.size())
        m_kept.flush();
    return message;
}

std::optional<MailMessage> MailMessageSource::keptOrFetched(int number, int &reconnects,
                                                            FetchFailure &failure)
{
    if (const std::optional<KeptMessage> kept = m_kept.find(number, m_fetchHtml))
        return KeptTexts::message(*kept);
    bool htmlIncluded = true;
    std::optional<MailMessage> message = fetchAhead(number, reconnects, failure, htmlIncluded);
    if (!listStillHolds(failure))
        return std::nullopt;
    if (message)
        m_kept.keep(number, KeptTexts::of(*message, htmlIncluded));
    return message;
}

// `htmlIncluded` is left true when the whole message was read.
std::optional<MailMessage> MailMessageSource::fetchAhead(int number, int &reconnects,
                                                         FetchFailure &failure, bool &htmlIncluded)
{
    const MessagePrefetcher::Result taken = m_ahead->take(number, reconnects);
    if (taken.fetchSingly)
        return fetchWhole(number, false, reconnects, failure);
    if (!taken.message) {
        failure = taken.failure;
        return std::nullopt;
    }
    htmlIncluded = taken.message->whole || taken.message->htmlIncluded;
    return readFetched(*taken.message, number, reconnects, failure);
}

// After a reconnect the mailbox may have been rebuilt on the server: its UIDs then name other
// messages, and nothing fetched by them can be trusted.
bool MailMessageSource::listStillHolds(FetchFailure &failure) const
{
    if (m_channel.uidValidity() == m_list.uidValidity())
        return true;
    failure.kind = FetchFailure::Kind::Run;
    failure.byServer = false;
    failure.text = QStringLiteral("the server renumbered the folder during the run (its "
                                  "UIDVALIDITY changed); run it again");
    return false;
}

// `number` is a UID when `byUid`, else a position in the run's list.
std::optional<MailMessage> MailMessageSource::fetchWhole(int number, bool byUid, int &reconnects,
                                                         FetchFailure &failure)
{
    const qint64 uid = byUid ? number : m_list.uidAt(number).value_or(0);
    const MessageFetcher::Result fetched = m_whole->fetch(uid, true, reconnects);
    if (!fetched.raw) {
        failure = fetched.failure;
        if (!byUid && fetched.absent && failure.kind == FetchFailure::Kind::Message)
            failure.text =
                QStringLiteral("message %1 was deleted from the folder during the run").arg(number);
        return std::nullopt;
    }
    return readWhole(*fetched.raw, number, failure);
}

std::optional<MailMessage> MailMessageSource::readWhole(const QByteArray &raw, int number,
                                                        FetchFailure &failure)
{
    QString reason;
    std::optional<MailMessage> message = MailMessage::fromRfc822(raw, &reason);
    if (!message)
        failure = FetchFailure::ofMessage(
            QStringLiteral("message %1 could not be read: %2").arg(number).arg(reason));
    return message;
}

std::optional<MailMessage> MailMessageSource::readFetched(const FetchedMessage &fetched, int number,
                                                          int &reconnects, FetchFailure &failure)
{
    if (fetched.whole)
        return readWhole(*fetched.whole, number, failure);
    std::optional<MailMessage> message = fetched.text
        ? MailMessage::fromRfc822(fetched.header + *fetched.text)
        : MailMessage::fromParts(fetched.header, fetched.plainPart, fetched.htmlPart);
    if (message)
        return message;
    // The server described the message wrongly, or it has none of the header fields read
    // here; the whole message still has its text.
    return fetchWhole(number, false, reconnects, failure);
}

// The bytes of the FETCH replies' RFC822.SIZE for positions first..last of the list.
qint64 MailMessageSource::sizesIn(const ImapReply &reply, int first, int last) const
{
    qint64 bytes = 0;
    forEachSize(reply, [&](qint64 position, qint64 size) {
        if (position >= first && position <= last)
            bytes += size;
    });
    return bytes;
}

// Every FETCH reply's RFC822.SIZE, by the list position of the UID it names.
void MailMessageSource::forEachSize(const ImapReply &reply,
                                    const std::function<void(qint64, qint64)> &use) const
{
    for (const ImapResponse &response : reply.untagged) {
        const std::optional<ImapValue> uid = response.fetchItem("UID");
        const std::optional<ImapValue> size = response.fetchItem("RFC822.SIZE");
        if (response.name != "FETCH" || !uid || !size)
            continue;
        if (const std::optional<qint64> position =
                m_list.positionOf(quint32(uid->toNumber().value_or(0))))
            use(*position, size->toNumber().value_or(0));
    }
}

// From RFC822.SIZE, the size of each whole message: an upper bound, since a run fetches only
// the text sections of most messages.
std::optional<qint64> MailMessageSource::estimate(int first, int last, FetchFailure &failure)
{
    if (const std::optional<qint64> ahead = sizesAheadOf(first, last)) {
        m_channel.noteSelectionCurrent();
        return ahead;
    }
    if (!ensureList(failure))
        return std::nullopt;
    QList<qint64> positions;
    for (qint64 position = std::max(1, first); position <= std::min<qint64>(last, m_list.size());
         ++position) {
        if (!isHeld(position))
            positions.append(position);
    }
    qint64 bytes = 0;
    for (const QByteArray &set : MessageList::splitSet(m_list.uidSet(positions))) {
        ImapCommand command("UID FETCH");
        command.arg(set).arg("(RFC822.SIZE)");
        const ImapReply reply = m_channel.runResuming(command);
        if (!reply.isOk()) {
            failure = FetchFailure::fromReply(reply);
            return std::nullopt;
        }
        bytes += sizesIn(reply, first, last);
    }
    // Asking for sizes changes nothing the list rests on: the run that follows keeps the
    // selection instead of examining and listing the mailbox again.
    m_channel.noteSelectionCurrent();
    return bytes;
}
