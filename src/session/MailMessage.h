#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// One fetched message, decoded to Unicode. Text bodies use CR LF line breaks.
struct MailMessage
{
    QString from; // From header, display form ("Name <address>")
    QString fromName; // sender's display name
    QString fromAddress; // sender's address
    QString subject; // RFC 2047 decoded
    QDateTime date; // Date header in local time; invalid when absent or unreadable
    QString plainTextBody; // text/plain part, or the HTML source when there is none
    QString htmlTextBody; // text/html part

    // Larger raw messages are refused rather than parsed.
    static constexpr qsizetype MaximumSize = qsizetype(64) * 1024 * 1024;

    // Parses raw RFC 5322 bytes; nullopt when they hold nothing to read (no bytes) or are larger
    // than MaximumSize. Text without header fields is all body. `failureReason`, when given,
    // receives the reason for a nullopt.
    static std::optional<MailMessage> fromRfc822(const QByteArray &raw,
                                                 QString *failureReason = nullptr);
    // The same from a message's header and its text parts (each its MIME header, an empty line
    // and its body), as fetched without the rest of the message. nullopt also when a part is not
    // the kind of text it was fetched as: then only the whole message can tell.
    static std::optional<MailMessage> fromParts(const QByteArray &header,
                                                const std::optional<QByteArray> &plainPart,
                                                const std::optional<QByteArray> &htmlPart,
                                                QString *failureReason = nullptr);
};
