#pragma once

#include "StepFailure.h"

#include <functional>

// What a front end may do while a message is turned into rows. Every hook is optional: the
// command line leaves them empty, the main window lets its events run, disables its list around
// each body line and reports failures in its handler's error box.
struct ExtractionHooks
{
    // Called at the points where the window processes pending events.
    std::function<void()> letEventsRun;
    // Called with false before a body line is tested and added, and with true right after.
    std::function<void(bool enabled)> setListEnabled;
    // A failure that does not end the message's rows (at most one per message), e.g. a line
    // number outside the 16-bit range. Rows go on being made after it.
    std::function<void(const StepFailure &failure)> reportFailure;
};
