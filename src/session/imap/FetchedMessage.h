#pragma once

#include <QByteArray>

#include <optional>

// What was downloaded of one message: the whole message, or its header and its text parts, each
// part as its MIME header followed by its body.
struct FetchedMessage
{
    std::optional<QByteArray> whole;
    QByteArray header;
    std::optional<QByteArray> plainPart;
    std::optional<QByteArray> htmlPart;

    qint64 size() const
    {
        return whole ? whole->size()
                     : header.size() + plainPart.value_or(QByteArray()).size()
                + htmlPart.value_or(QByteArray()).size();
    }
};
