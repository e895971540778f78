#pragma once

#include "MailMessage.h"

#include <QString>

#include <memory>
#include <optional>

class ImapChannel;
class MessageFetcher;
class MessagePrefetcher;
struct FetchFailure;
struct FetchedMessage;

// The messages of the selected mailbox as MailMessages: fetched ahead, only their text sections,
// and whole where the sections do not serve (an unknown structure, a part the server described
// wrongly, a message a batch could not bring, a UID).
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

private:
    std::optional<MailMessage> fetchWhole(int number, bool byUid, int &reconnects,
                                          FetchFailure &failure);
    std::optional<MailMessage> readFetched(const FetchedMessage &fetched, int number,
                                           int &reconnects, FetchFailure &failure);
    static std::optional<MailMessage> readWhole(const QByteArray &raw, int number,
                                                FetchFailure &failure);

    std::unique_ptr<MessageFetcher> m_whole;
    std::unique_ptr<MessagePrefetcher> m_ahead;
};
