// Raw RFC 5322 bytes as the server might send them, through the message parser, the listing a
// front end receives and the rows of every extraction mode; and through the fetch-ahead path's
// text sections, which must give the same message.

#include "FetchAheadReader.h"
#include "FixedModeInputs.h"
#include "FuzzCheck.h"
#include "FuzzRowSink.h"
#include "MailMessage.h"
#include "MessageRows.h"
#include "TextRules.h"

#include <cstddef>
#include <cstdint>

namespace {

FixedModeInputs modeInputs()
{
    FixedModeInputs inputs;
    inputs.containing = QStringLiteral("e");
    inputs.notContaining = QStringLiteral("the");
    inputs.lineNumbers = QStringLiteral("1, 2,-1,2.5,3e0,40000");
    inputs.textSet = QStringLiteral("@");
    inputs.startMarker = QStringLiteral("<");
    inputs.endMarker = QStringLiteral(">");
    inputs.withStartMarker = true;
    return inputs;
}

// Text bodies reach the modes with CR LF line breaks only, so that every line is split.
bool hasBareLineFeed(const QString &body)
{
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body.at(i) == u'\n' && (i == 0 || body.at(i - 1) != u'\r'))
            return true;
    }
    return false;
}

qsizetype nonEmptyHeaderRows(const MailListing &listing)
{
    return qsizetype(!listing.From.isEmpty()) + qsizetype(!listing.ReceivedDate.isEmpty())
        + qsizetype(!listing.Subject.isEmpty());
}

void checkRows(const MailListing &listing, ExtractionMode mode, const FixedModeInputs &inputs,
               const FuzzRowSink &sink)
{
    const QStringList &rows = sink.rows();
    switch (mode) {
    case ExtractionMode::AllEmailData:
        FUZZ_CHECK(rows.size()
                   == nonEmptyHeaderRows(listing) + 1 + BodyLines(listing.PlainTextBody).size());
        break;
    case ExtractionMode::Containing:
        for (const QString &row : rows)
            FUZZ_CHECK(ContainsText(row, inputs.containing));
        break;
    case ExtractionMode::NotContaining:
        for (const QString &row : rows)
            FUZZ_CHECK(!ContainsText(row, inputs.notContaining));
        break;
    case ExtractionMode::Between:
        FUZZ_CHECK(!sink.hasDuplicates());
        // With X included, Y right after X gives the row X alone.
        for (const QString &row : rows)
            FUZZ_CHECK(row.startsWith(inputs.startMarker));
        break;
    case ExtractionMode::LineNumber:
        // Lines 1, 2 and 3, and line 40000 kept as written although it is out of range.
        FUZZ_CHECK(rows.size() <= qMin<qsizetype>(4, BodyLines(listing.PlainTextBody).size()));
        break;
    case ExtractionMode::ContainingList:
        break;
    }
}

bool sameMessage(const MailMessage &a, const MailMessage &b)
{
    return a.from == b.from && a.fromName == b.fromName && a.fromAddress == b.fromAddress
        && a.subject == b.subject && a.date == b.date && a.plainTextBody == b.plainTextBody
        && a.htmlTextBody == b.htmlTextBody;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray raw(reinterpret_cast<const char *>(data), qsizetype(size));
    QString failure;
    const std::optional<MailMessage> message = MailMessage::fromRfc822(raw, &failure);
    FUZZ_CHECK(message.has_value() == failure.isEmpty());
    const std::optional<MailMessage> fromSections = FetchAheadReader::read(raw);
    FUZZ_CHECK(fromSections.has_value() == message.has_value());
    if (!message)
        return 0;
    FUZZ_CHECK(sameMessage(*fromSections, *message));
    const MailListing listing = MailListing::fromMessage(*message, 1);
    FUZZ_CHECK(!hasBareLineFeed(listing.PlainTextBody));
    FUZZ_CHECK(!hasBareLineFeed(listing.HTMLTextBody));

    FixedModeInputs inputs = modeInputs();
    for (const ExtractionMode mode :
         {ExtractionMode::AllEmailData, ExtractionMode::Containing, ExtractionMode::ContainingList,
          ExtractionMode::NotContaining, ExtractionMode::Between, ExtractionMode::LineNumber}) {
        FuzzRowSink sink;
        int failures = 0;
        ExtractionHooks hooks;
        hooks.reportFailure = [&failures](const StepFailure &) { ++failures; };
        ExtractRows(listing, mode, inputs, sink, hooks);
        FUZZ_CHECK(failures == (mode == ExtractionMode::LineNumber ? 1 : 0));
        checkRows(listing, mode, inputs, sink);
    }
    return 0;
}
