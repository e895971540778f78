#pragma once

#include <QString>

// How long a command may run before it is killed and its output so far returned.
inline constexpr int DefaultCommandTimeoutMs = 120'000;

// The text a command line gives when it cannot be started.
inline constexpr const char *ProcessStartFailureText =
    "Failed to create process, check the path of the command line.";

// Runs `commandLine` hidden, without standard input, and returns what it writes to the captured
// streams in arrival order (both flags: output and errors merged as they come). A command that
// cannot be started gives ProcessStartFailureText. `oemConvert` reads the bytes in the console's
// code page instead of the desktop's (the same on Linux). Throws StepFailure when neither stream
// is captured. Waits in a local event loop that takes no user input; never longer than
// `timeoutMs`, after which the child is killed.
QString RunCommandCaptureOutput(const QString &commandLine, bool captureOutput, bool captureErrors,
                                bool oemConvert, int timeoutMs = DefaultCommandTimeoutMs);
