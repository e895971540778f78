#pragma once

#include <functional>

// The wait before a reconnect: the event loop runs, and a stop request ends it at once.
class ReconnectPause
{
public:
    // How often the pause asks whether the user wants to stop.
    static constexpr int stopCheckMs = 50;

    // Waits `milliseconds`; false when `stopWanted` said so before or during the wait.
    static bool sit(int milliseconds, const std::function<bool()> &stopWanted);
};
