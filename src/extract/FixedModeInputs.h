#pragma once

#include "ModeInputs.h"

// Mode inputs held as plain values, for the command line and for tests.
struct FixedModeInputs final : public ModeInputs
{
    QString containing;
    QString notContaining;
    QString lineNumbers;
    QString textSet;
    QString startMarker;
    QString endMarker;
    bool withStartMarker = false;
    bool withEndMarker = false;
    bool duplicatesShown = false;
    QString filter;

    QString containingText() override { return containing; }
    QString notContainingText() override { return notContaining; }
    QString lineNumberEntry() override { return lineNumbers; }
    QString textSetText() override { return textSet; }
    QString betweenStart() override { return startMarker; }
    QString betweenEnd() override { return endMarker; }
    bool includeStart() override { return withStartMarker; }
    bool includeEnd() override { return withEndMarker; }
    bool showDuplicates() override { return duplicatesShown; }
    QString charactersFilter() override { return filter; }
};
