#pragma once

#include <QByteArray>

#include <optional>

// What was downloaded of one message: the whole message; or the header fields a reader needs
// and either the text after them (a message of one part) or the text parts, each part as its
// MIME header followed by its body.
struct FetchedMessage
{
    std::optional<QByteArray> whole;
    QByteArray header;
    std::optional<QByteArray> text;
    std::optional<QByteArray> plainPart;
    std::optional<QByteArray> htmlPart;
    // The HTML part was asked for too (it may still be absent: the message has none).
    bool htmlIncluded = false;

    qint64 size() const
    {
        const QByteArray none;
        return whole.value_or(none).size() + header.size() + text.value_or(none).size()
            + plainPart.value_or(none).size() + htmlPart.value_or(none).size();
    }
};
