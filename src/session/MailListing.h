#pragma once

#include <QString>

struct MailMessage;

// The arguments of one MailExtractListing event: a fetched message's texts and its number.
struct MailListing
{
    QString From;
    QString FromName;
    QString FromAddress;
    QString Subject;
    QString ReceivedDate; // general date form; the date alone at exactly midnight
    QString PlainTextBody;
    QString HTMLTextBody;
    int uID = 0; // sequence number in the selected mailbox

    // The listing of fetched message `number`.
    static MailListing fromMessage(const MailMessage &message, int number);
};
