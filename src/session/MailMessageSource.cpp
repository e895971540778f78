#include "MailMessageSource.h"

#include "imap/FetchFailure.h"
#include "imap/FetchedMessage.h"
#include "imap/MessageFetcher.h"
#include "imap/MessagePrefetcher.h"

MailMessageSource::MailMessageSource(ImapChannel &channel)
    : m_whole(std::make_unique<MessageFetcher>(channel)),
      m_ahead(std::make_unique<MessagePrefetcher>(channel))
{
}

MailMessageSource::~MailMessageSource() = default;

void MailMessageSource::setFetchHtmlBodies(bool fetch)
{
    m_ahead->setFetchHtml(fetch);
}

void MailMessageSource::setFetchAheadLimits(qint64 bufferBytes, int firstWindow, int window)
{
    m_ahead->setLimits({bufferBytes, firstWindow, window});
}

std::optional<MailMessage> MailMessageSource::fetch(int number, bool byUid, FetchFailure &failure)
{
    failure = FetchFailure();
    int reconnects = 0; // shared by every try at this one message
    if (byUid)
        return fetchWhole(number, byUid, reconnects, failure);
    const MessagePrefetcher::Result taken = m_ahead->take(number, reconnects);
    if (taken.fetchSingly) {
        std::optional<MailMessage> message = fetchWhole(number, byUid, reconnects, failure);
        if (!message && taken.pastDescribedEnd && failure.kind == FetchFailure::Kind::Message) {
            failure.kind = FetchFailure::Kind::MailboxEnded;
            failure.text = QStringLiteral("the server holds no message %1, though its count "
                                          "said more (%2)")
                               .arg(number)
                               .arg(failure.text);
        }
        return message;
    }
    if (!taken.message) {
        failure = taken.failure;
        return std::nullopt;
    }
    return readFetched(*taken.message, number, reconnects, failure);
}

std::optional<MailMessage> MailMessageSource::fetchWhole(int number, bool byUid, int &reconnects,
                                                         FetchFailure &failure)
{
    const MessageFetcher::Result fetched = m_whole->fetch(number, byUid, reconnects);
    if (!fetched.raw) {
        failure = fetched.failure;
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
