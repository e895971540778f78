#pragma once

#include "ImapReply.h"

#include <QString>

// Why a message could not be had, and whether the next message would fare any better.
struct FetchFailure
{
    enum class Kind {
        None,
        Message, // tied to this one message: skip it and go on
        Run, // will repeat for every message (a limit, a dead connection): stop the run
        Stopped, // the user asked to stop
        MailboxEnded, // the server holds no more messages than this, whatever its count said
    };

    Kind kind = Kind::None;
    QString text; // what went wrong, in the server's own words where it gave any
    bool byServer = false; // the server refused (rather than the connection failing)

    bool isNone() const { return kind == Kind::None; }

    // A reply that was not OK to a FETCH: a refusal carrying a limit, or a connection that
    // failed, repeats; any other refusal is the message's own.
    static FetchFailure fromReply(const ImapReply &reply);
    // The way back after a lost connection failed: nothing more can be fetched.
    static FetchFailure fromFailedReconnect(const ImapReply &reply);
    static FetchFailure ofMessage(const QString &text);
};
