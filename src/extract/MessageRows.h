#pragma once

#include "ExtractionHooks.h"
#include "ExtractionMode.h"
#include "MailListing.h"

class ModeInputs;
class RowSink;

// Turns one fetched message into rows under `mode`: the character filter first, then the mode's
// block, then one event-loop point. Inputs are read from `inputs` once per call.
void ExtractRows(const MailListing &message, ExtractionMode mode, ModeInputs &inputs, RowSink &rows,
                 const ExtractionHooks &hooks = {});

// True when `message` passes the character filter `filter` (empty: every message passes).
bool PassesCharacterFilter(const MailListing &message, const QString &filter);
