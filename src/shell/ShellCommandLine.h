#pragma once

#include <optional>

// The window program's own command-line requests, answered before the main window exists:
// --version and --help need no display; --check-install loads the runtime files the window
// shows (the help pictures, the icon) on the platform given, e.g. `-platform offscreen`.
// Returns the exit status when one of them was asked for, nothing otherwise.
std::optional<int> AnswerCommandLineRequest(int argc, char *argv[]);
