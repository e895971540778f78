#pragma once

// What tessaline-cli's exit status tells a script.
enum class ExitCode {
    Success = 0,
    Failed = 1, // the rows could not be written, or an unexpected failure
    Usage = 2,
    SignInFailed = 3,
    FolderNotSelectable = 4,
    ConnectionFailed = 5, // no connection, TLS refused, no usable answer, or the link was lost
    // The run ended before the last message, or messages gave no rows: an output file was left as
    // it was (rows read so far went to standard output when no file was named).
    StoppedPartWay = 6,
    Interrupted = 130, // SIGINT or SIGTERM: the run gave up, an output file was left as it was
};
