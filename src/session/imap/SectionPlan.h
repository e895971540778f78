#pragma once

#include "FetchedMessage.h"

#include <QByteArray>

#include <optional>

class FetchItems;
class ImapValue;
struct TextSections;

// What to fetch of one message once its body structure is known, and how to read the reply back
// into a FetchedMessage: only the sections a row can come from, the whole message when the
// structure tells nothing.
struct SectionPlan
{
    // Whole: the structure is unknown. HeaderAndText: one text part, the body after the header.
    // HeaderAndParts: the text parts of a multipart message.
    enum class Shape { Whole, HeaderAndText, HeaderAndParts };

    qint64 number = 0;
    QByteArray items; // the FETCH items, e.g. "(BODY.PEEK[])"
    QByteArray plainSection;
    QByteArray htmlSection;
    bool htmlIncluded = true; // nothing of the HTML part is left out
    Shape shape = Shape::Whole;
    qint64 estimatedBytes = 0;

    // `size` is the message's RFC822.SIZE; without it a whole message counts `unknownSize`.
    static SectionPlan forMessage(qint64 number, const ImapValue *structure,
                                  std::optional<qint64> size, bool fetchHtml, qint64 unknownSize);
    // nullopt when the reply lacks a section asked for.
    std::optional<FetchedMessage> read(const FetchItems &items) const;

private:
    void planParts(const TextSections &sections, bool fetchHtml);
};
