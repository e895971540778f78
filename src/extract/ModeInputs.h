#pragma once

#include <QString>

// The values the extraction modes read afresh for every message. The main window answers from
// its boxes and the option dialogs (which may create a dialog on first use, hence non-const);
// the command line answers from fixed values (FixedModeInputs).
class ModeInputs
{
public:
    virtual ~ModeInputs() = default;

    virtual QString containingText() = 0; // Form1 Text1
    virtual QString notContainingText() = 0; // Form1 Text2
    virtual QString lineNumberEntry() = 0; // Form1 Text5
    virtual QString textSetText() = 0; // Form3 Combo1, the entry shown
    virtual QString betweenStart() = 0; // Form2 Text1, marker X as typed
    virtual QString betweenEnd() = 0; // Form2 Text2, marker Y as typed
    virtual bool includeStart() = 0; // Form2 Check1
    virtual bool includeEnd() = 0; // Form2 Check2
    virtual bool showDuplicates() = 0; // Form1 Check3
    virtual QString charactersFilter() = 0; // Form1 CharactersFilter; empty means no filter
};
