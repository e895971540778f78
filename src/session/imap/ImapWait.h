#pragma once

#include "ImapReply.h"

#include <functional>

class ImapConnection;

// The one place where an IMAP operation waits for the server. Modelled on a job's exec(), but
// user input gets through, so a Stop click, a Disconnect or a modal dialog can run meanwhile:
// - a second wait on the same connection is refused;
// - a finished exchange returns at once;
// - a local event loop runs, asking `abortRequested` at least every 100 ms and passing literal
//   progress to `progress`;
// - a timeout is always armed and restarts with every byte from the server;
// - the loop ends on the reply, an error, an abort, a disconnect or a timeout.
// The caller keeps the connection alive for the length of the wait.
class ImapWait
{
public:
    struct Hooks
    {
        std::function<bool()> abortRequested;
        std::function<void(int)> progress;
    };

    static constexpr int abortCheckIntervalMs = 50;

    static ImapReply run(ImapConnection *connection, int timeoutMs, const Hooks &hooks);
};
