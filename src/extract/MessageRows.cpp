#include "MessageRows.h"

#include "BetweenMarkers.h"
#include "LineNumberEntry.h"
#include "ModeInputs.h"
#include "RowSink.h"
#include "TextRules.h"

#include <array>

namespace {

// From, date and subject: the header fields that become rows, in row order.
std::array<const QString *, 3> HeaderFields(const MailListing &message)
{
    return {&message.From, &message.ReceivedDate, &message.Subject};
}

void LetEventsRun(const ExtractionHooks &hooks)
{
    if (hooks.letEventsRun)
        hooks.letEventsRun();
}

void SetListEnabled(const ExtractionHooks &hooks, bool enabled)
{
    if (hooks.setListEnabled)
        hooks.setListEnabled(enabled);
}

// Adds the body line when `wanted` says so, with the list disabled around the test and add.
template<typename Wanted>
void AddBodyLineIf(QStringView line, RowSink &rows, const ExtractionHooks &hooks, Wanted &&wanted)
{
    SetListEnabled(hooks, false);
    if (wanted(line))
        rows.appendPart(line);
    SetListEnabled(hooks, true);
}

void AllEmailDataRows(const MailListing &message, RowSink &rows, const ExtractionHooks &hooks)
{
    for (const QString *field : HeaderFields(message)) {
        if (!field->isEmpty())
            rows.append(*field);
    }
    rows.append(message.PlainTextBody);
    for (const QStringView line : BodyLineViews(message.PlainTextBody))
        AddBodyLineIf(line, rows, hooks, [](QStringView) { return true; });
}

// Header fields and body lines whose containment of `search` equals `containing`.
void ContainmentRows(const MailListing &message, const QString &search, bool containing,
                     RowSink &rows, const ExtractionHooks &hooks)
{
    const auto wanted = [&search, containing](QStringView text) {
        return ContainsText(text, search) == containing;
    };
    for (const QString *field : HeaderFields(message)) {
        if (!field->isEmpty() && wanted(*field))
            rows.append(*field);
    }
    for (const QStringView line : BodyLineViews(message.PlainTextBody))
        AddBodyLineIf(line, rows, hooks, wanted);
}

void LineNumberRows(const MailListing &message, const QString &entry, RowSink &rows,
                    const ExtractionHooks &hooks)
{
    const LineNumberList numbers = ParseLineNumbers(entry);
    if (!numbers.failure.isEmpty() && hooks.reportFailure)
        hooks.reportFailure(StepFailure(numbers.failure));
    qsizetype lineNumber = 0;
    for (const QStringView line : BodyLineViews(message.PlainTextBody)) {
        ++lineNumber;
        LetEventsRun(hooks);
        AddBodyLineIf(line, rows, hooks, [&](QStringView) { return numbers.picks(lineNumber); });
    }
}

void BetweenRows(const MailListing &message, ModeInputs &inputs, RowSink &rows,
                 const ExtractionHooks &hooks)
{
    const BetweenOptions options {inputs.betweenStart(), inputs.betweenEnd(), inputs.includeStart(),
                                  inputs.includeEnd(), inputs.showDuplicates()};
    for (const QString *field : HeaderFields(message)) {
        if (!field->isEmpty())
            ExtractBetween(*field, options, rows, hooks.letEventsRun);
    }
    ExtractBetween(message.PlainTextBody, options, rows, hooks.letEventsRun);
}

void ModeRows(const MailListing &message, ExtractionMode mode, ModeInputs &inputs, RowSink &rows,
              const ExtractionHooks &hooks)
{
    switch (mode) {
    case ExtractionMode::AllEmailData:
        return AllEmailDataRows(message, rows, hooks);
    case ExtractionMode::Containing:
        return ContainmentRows(message, inputs.containingText(), true, rows, hooks);
    case ExtractionMode::ContainingList:
        return ContainmentRows(message, inputs.textSetText(), true, rows, hooks);
    case ExtractionMode::NotContaining:
        return ContainmentRows(message, inputs.notContainingText(), false, rows, hooks);
    case ExtractionMode::Between:
        return BetweenRows(message, inputs, rows, hooks);
    case ExtractionMode::LineNumber:
        return LineNumberRows(message, inputs.lineNumberEntry(), rows, hooks);
    }
}

} // namespace

bool PassesCharacterFilter(const MailListing &message, const QString &filter)
{
    if (filter.isEmpty())
        return true;
    for (const QString *exact : {&message.From, &message.FromName, &message.FromAddress,
                                 &message.ReceivedDate, &message.PlainTextBody}) {
        if (exact->contains(filter, Qt::CaseSensitive))
            return true;
    }
    return LowerCaseSameLength(message.Subject).contains(LowerCaseSameLength(filter));
}

void ExtractRows(const MailListing &message, ExtractionMode mode, ModeInputs &inputs, RowSink &rows,
                 const ExtractionHooks &hooks)
{
    if (PassesCharacterFilter(message, inputs.charactersFilter()))
        ModeRows(message, mode, inputs, rows, hooks);
    LetEventsRun(hooks);
}
