#pragma once

#include "KeptMessages.h"
#include "MailMessage.h"

#include "imap/ImapCommand.h"
#include "imap/MessageList.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ImapChannel;
class MessageFetcher;
class MessagePrefetcher;
struct FetchFailure;
struct FetchedMessage;

// The messages of the selected mailbox (or of what a search found in it) as MailMessages, by
// their position in the run's list of UIDs: taken from what the session or the local copy keeps,
// else fetched ahead by UID, only their text sections, and whole where the sections do not serve
// (an unknown structure, a part the server described wrongly, a message a batch could not bring).
class MailMessageSource
{
public:
    explicit MailMessageSource(ImapChannel &channel);
    ~MailMessageSource();
    Q_DISABLE_COPY_MOVE(MailMessageSource)

    // nullopt with `failure` set when the message could not be fetched or read.
    std::optional<MailMessage> fetch(int number, bool byUid, FetchFailure &failure);
    void setFetchHtmlBodies(bool fetch);
    void setFetchAheadLimits(qint64 bufferBytes, int firstWindow, int window);

    // From now on the list of `mailbox` is what `search` (a UID SEARCH) finds; the search runs at
    // once when that mailbox is selected. nullopt goes back to the whole mailbox.
    bool narrow(const QString &mailbox, const std::optional<ImapCommand> &search,
                FetchFailure &failure);
    // A selection of another mailbox ends the narrowing.
    void selecting(const QString &mailbox)
    {
        if (m_search && m_searchMailbox != mailbox)
            m_search.reset();
    }
    // Selects `mailbox` for a count. A count of the `wholeMailbox` with nothing held brings its
    // list and every message's size in the same flight, so that the estimate after it asks the
    // server nothing.
    ImapReply selectForCount(const QString &mailbox, bool wholeMailbox);
    // How many messages the run's list holds; nullopt before it was read for this selection.
    std::optional<int> count() const;
    // Bytes a run over positions first..last would download, leaving out what is held.
    std::optional<qint64> estimate(int first, int last, FetchFailure &failure);

    MemoryMessageStore &memory() { return m_kept.memory(); }
    void setLocalCopy(std::shared_ptr<MessageStore> store)
    {
        m_kept.setLocalCopy(std::move(store));
    }

private:
    bool ensureList(FetchFailure &failure, qint64 firstWanted = 0);
    std::optional<ImapReply> listWithFirstWindow(const ImapCommand &search, qint64 first);
    bool takeList(const ImapReply &reply, FetchFailure &failure);
    qint64 sizesIn(const ImapReply &reply, int first, int last) const;
    void forEachSize(const ImapReply &reply, const std::function<void(qint64, qint64)> &use) const;
    std::optional<qint64> sizesAheadOf(int first, int last);
    bool isHeld(qint64 position) const { return m_kept.isHeld(position, m_fetchHtml); }
    std::optional<MailMessage> keptOrFetched(int number, int &reconnects, FetchFailure &failure);
    std::optional<MailMessage> fetchAhead(int number, int &reconnects, FetchFailure &failure,
                                          bool &htmlIncluded);
    std::optional<MailMessage> fetchWhole(int number, bool byUid, int &reconnects,
                                          FetchFailure &failure);
    std::optional<MailMessage> readFetched(const FetchedMessage &fetched, int number,
                                           int &reconnects, FetchFailure &failure);
    static std::optional<MailMessage> readWhole(const QByteArray &raw, int number,
                                                FetchFailure &failure);
    bool listStillHolds(FetchFailure &failure) const;

    ImapChannel &m_channel;
    MessageList m_list;
    quint64 m_listSelection = 0; // the channel's selection the list was read for
    QString m_searchMailbox;
    std::optional<ImapCommand> m_search;
    QList<qint64> m_sizesAhead; // by position - 1, from the count's flight
    quint64 m_sizesSelection = 0; // the channel's selection they were read for
    bool m_fetchHtml = false;
    KeptMessages m_kept {m_list};
    std::unique_ptr<MessageFetcher> m_whole;
    std::unique_ptr<MessagePrefetcher> m_ahead;
};
