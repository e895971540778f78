#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class ImapValue;

// Where a message's text lives, read off its BODYSTRUCTURE: the sections of the first text/plain
// and the first text/html part that are not attachments, in document order, never inside an
// attached message. The same choice the MIME reader makes on the whole message, so fetching only
// these sections yields the same text without downloading attachments. Where only the whole
// message can tell (text only inside an attached message, a boundary the server cannot split
// by, an empty text part), locate() answers nullopt and the whole message is read.
struct TextSections
{
    bool singlePart = false; // not multipart: the message body is the only part
    QByteArray plain; // section number such as "1.1"; empty when there is none
    QByteArray html;
    qint64 plainSize = 0; // encoded size in bytes, as the server counts it
    qint64 htmlSize = 0;

    // Parts nested deeper than this are not looked at, as the MIME reader ignores them.
    static constexpr int MaximumDepth = 64;

    // nullopt when `structure` is not a body structure this reader understands, or when only
    // the whole message can tell where its text is.
    static std::optional<TextSections> locate(const ImapValue &structure);
};
