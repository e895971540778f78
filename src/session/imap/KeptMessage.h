#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// A message's texts as a run read them, kept so that a later run need not download and decode
// the message again: UTF-8, about half the memory of the decoded strings.
struct KeptMessage
{
    QByteArray from;
    QByteArray fromName;
    QByteArray fromAddress;
    QByteArray subject;
    std::optional<qint64> dateSeconds; // since the epoch; none when the message had no date
    QByteArray plainTextBody; // empty when `plainIsHtml`
    QByteArray htmlTextBody;
    bool plainIsHtml = false; // the message has no plain text: the HTML source stands in for it
    // The HTML part was read too (it may still be absent: the message has none).
    bool htmlIncluded = false;

    qint64 size() const
    {
        return from.size() + fromName.size() + fromAddress.size() + subject.size()
            + plainTextBody.size() + htmlTextBody.size();
    }

    friend bool operator==(const KeptMessage &, const KeptMessage &) = default;
};
