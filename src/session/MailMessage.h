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

    // Parses raw RFC 5322 bytes; nullopt when they are not a message at all.
    static std::optional<MailMessage> fromRfc822(const QByteArray &raw);
};
