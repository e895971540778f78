#include "SectionPlan.h"

#include "FetchItems.h"
#include "TextSections.h"

namespace {

// The header fields a row or the MIME reader looks at. Real mail carries kilobytes of other
// fields (routing, signatures) that nothing here reads.
const QByteArray headerFieldsItem = "BODY.PEEK[HEADER.FIELDS (FROM SUBJECT DATE MIME-VERSION "
                                    "CONTENT-TYPE CONTENT-TRANSFER-ENCODING CONTENT-DISPOSITION)]";
// What a part's MIME header and a message's header add to the sizes a body structure states.
constexpr qint64 headerAllowance = 2048;

QByteArray sectionItem(const QByteArray &section)
{
    return "BODY.PEEK[" + section + ']';
}

} // namespace

SectionPlan SectionPlan::forMessage(qint64 number, const ImapValue *structure,
                                    std::optional<qint64> size, bool fetchHtml, qint64 unknownSize)
{
    SectionPlan plan;
    plan.number = number;
    const std::optional<TextSections> sections =
        structure ? TextSections::locate(*structure) : std::nullopt;
    const bool hasText = sections && (!sections->plain.isEmpty() || !sections->html.isEmpty());
    if (!sections) {
        plan.shape = Shape::Whole;
        plan.items = "(BODY.PEEK[])";
        plan.estimatedBytes = size.value_or(unknownSize);
        return plan;
    }
    if (sections->singlePart && hasText) {
        plan.shape = Shape::HeaderAndText;
        plan.items = '(' + headerFieldsItem + " BODY.PEEK[TEXT])";
        plan.estimatedBytes = size.value_or(unknownSize);
        return plan;
    }
    plan.planParts(*sections, fetchHtml);
    return plan;
}

void SectionPlan::planParts(const TextSections &sections, bool fetchHtml)
{
    shape = Shape::HeaderAndParts;
    QByteArrayList fetched {headerFieldsItem};
    estimatedBytes = headerAllowance;
    if (!sections.plain.isEmpty()) {
        plainSection = sections.plain;
        fetched << sectionItem(sections.plain + ".MIME") << sectionItem(sections.plain);
        estimatedBytes += sections.plainSize + headerAllowance;
    }
    if (!sections.html.isEmpty() && (sections.plain.isEmpty() || fetchHtml)) {
        htmlSection = sections.html;
        fetched << sectionItem(sections.html + ".MIME") << sectionItem(sections.html);
        estimatedBytes += sections.htmlSize + headerAllowance;
    }
    htmlIncluded = sections.html.isEmpty() || !htmlSection.isEmpty();
    items = '(' + fetched.join(' ') + ')';
}

std::optional<FetchedMessage> SectionPlan::read(const FetchItems &reply) const
{
    FetchedMessage message;
    message.htmlIncluded = htmlIncluded;
    if (shape == Shape::Whole) {
        message.whole = reply.string("BODY[]");
        return message.whole ? std::optional(message) : std::nullopt;
    }
    const std::optional<QByteArray> header = reply.header();
    message.header = header.value_or(QByteArray());
    bool complete = header.has_value();
    if (shape == Shape::HeaderAndText) {
        message.text = reply.string("BODY[TEXT]");
        complete = complete && message.text;
    }
    if (!plainSection.isEmpty()) {
        message.plainPart = reply.part(plainSection);
        complete = complete && message.plainPart;
    }
    if (!htmlSection.isEmpty()) {
        message.htmlPart = reply.part(htmlSection);
        complete = complete && message.htmlPart;
    }
    return complete ? std::optional(message) : std::nullopt;
}
