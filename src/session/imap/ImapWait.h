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
// - a deadline for the whole reply is armed too, so that a server trickling a byte now and then
//   cannot hold the wait forever: the timeout plus time for every byte expected at a slow rate
//   (what the caller expects, and every literal the server announces meanwhile);
// - the loop ends on the reply, an error, an abort, a disconnect or a timeout.
// The caller keeps the connection alive for the length of the wait.
class ImapWait
{
public:
    struct Hooks
    {
        std::function<bool()> abortRequested;
        std::function<void(int)> progress;
        // Bytes the caller knows are coming (the sizes of the messages asked for), beyond the
        // literals the server announces while the wait runs.
        qint64 expectedBytes = 0;
    };

    static constexpr int abortCheckIntervalMs = 50;
    // The slowest transfer the deadline allows for: a batch of a few megabytes gets minutes.
    static constexpr qint64 slowestBytesPerSecond = 16 * 1024;

    // How long a whole reply may take when `bytes` are expected: never less than the timeout.
    static qint64 deadlineMs(int timeoutMs, qint64 bytes);

    static ImapReply run(ImapConnection *connection, int timeoutMs, const Hooks &hooks);
};
