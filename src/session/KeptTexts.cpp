#include "KeptTexts.h"

namespace {

// Kept for long: the encoder's room for the worst case (three bytes a character) is given back.
QByteArray compactUtf8(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.squeeze();
    return bytes;
}

} // namespace

KeptMessage KeptTexts::of(const MailMessage &message, bool htmlIncluded)
{
    KeptMessage kept;
    kept.from = compactUtf8(message.from);
    kept.fromName = compactUtf8(message.fromName);
    kept.fromAddress = compactUtf8(message.fromAddress);
    kept.subject = compactUtf8(message.subject);
    if (message.date.isValid())
        kept.dateSeconds = message.date.toSecsSinceEpoch();
    kept.htmlTextBody = compactUtf8(message.htmlTextBody);
    // Without a plain part the HTML source is the plain text too: kept once.
    kept.plainIsHtml =
        !message.htmlTextBody.isEmpty() && message.plainTextBody == message.htmlTextBody;
    if (!kept.plainIsHtml)
        kept.plainTextBody = compactUtf8(message.plainTextBody);
    kept.htmlIncluded = htmlIncluded;
    return kept;
}

MailMessage KeptTexts::message(const KeptMessage &kept)
{
    MailMessage read;
    read.from = QString::fromUtf8(kept.from);
    read.fromName = QString::fromUtf8(kept.fromName);
    read.fromAddress = QString::fromUtf8(kept.fromAddress);
    read.subject = QString::fromUtf8(kept.subject);
    if (kept.dateSeconds)
        read.date = QDateTime::fromSecsSinceEpoch(*kept.dateSeconds);
    read.htmlTextBody = QString::fromUtf8(kept.htmlTextBody);
    read.plainTextBody =
        kept.plainIsHtml ? read.htmlTextBody : QString::fromUtf8(kept.plainTextBody);
    return read;
}
