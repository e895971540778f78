#pragma once

#include <QString>

// The start-up check never holds the program up longer than this.
inline constexpr int OnlineCheckTimeoutMs = 5'000;

// Pings a well-known public host once and, when no reply comes, tells the user "You must be online
// to use this software accurately.". TESSALINE_PING_COMMAND replaces the whole command line and
// TESSALINE_PING_HOST the host (tests and offline demos).
void CheckOnline();

// The same check with a given command line and reply marker (matched without regard to case).
void CheckOnline(const QString &commandLine, const QString &replyMarker,
                 int timeoutMs = OnlineCheckTimeoutMs);

// The command line CheckOnline() runs on this platform.
QString OnlineCheckCommand();
