#pragma once

#include "ExitCode.h"
#include "clsImapSession.h"

#include <QString>

#include <cstdio>

// How tessaline-cli tells what went wrong: one line on standard error, named after the program,
// and the exit status that goes with it.
class CliFailure
{
public:
    static void print(std::FILE *stream, const QString &text);
    static ExitCode fail(ExitCode code, const QString &text);
    // The problem, then the usage text.
    static ExitCode usage(const QString &problem);
    static ExitCode listingFailed(const QString &host, const QString &reason);

    // What a failed session step means for the run.
    struct Session
    {
        clsImapSession::FailedStep step = clsImapSession::FailedStep::None;
        QString reason; // the component's failure text, never empty
        QString host;
        QString user;
        QString mailbox;
    };
    static ExitCode ofSession(const Session &session);
};
