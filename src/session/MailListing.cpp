#include "MailListing.h"

#include "GeneralDate.h"
#include "MailMessage.h"

MailListing MailListing::fromMessage(const MailMessage &message, int number)
{
    MailListing listing;
    listing.From = message.from;
    listing.FromName = message.fromName;
    listing.FromAddress = message.fromAddress;
    listing.Subject = message.subject;
    listing.ReceivedDate = message.date.isValid() ? GeneralDateText(message.date) : QString();
    listing.PlainTextBody = message.plainTextBody;
    listing.HTMLTextBody = message.htmlTextBody;
    listing.uID = number;
    return listing;
}
