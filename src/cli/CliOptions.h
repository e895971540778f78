#pragma once

#include "CliCredentials.h"
#include "ExtractionMode.h"
#include "FixedModeInputs.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class OutputFormat { Lines, Csv, JsonLines };

// Everything the command line asked for. The password is never among the arguments: it is read
// from `passwordVariable` or `passwordFile`.
struct CliOptions
{
    QString host; // "host" or "host:port"; empty: the provider's server
    QString caFile; // an extra trusted authority (PEM)
    QString user;
    QString passwordVariable = QStringLiteral("TESSALINE_PASSWORD");
    QString passwordFile;
    // password: the app password from the variable or file; oauth2: the access token in
    // `tokenVariable`, else the refresh token the desktop program saved for the user.
    CliCredentials::Auth auth = CliCredentials::Auth::Password;
    QString tokenVariable;
    QString folderCaption = QStringLiteral("Inbox");
    QString label; // names any mailbox and wins over the folder
    QString search; // Gmail's search syntax: only the messages it finds are read
    bool listFolders = false;
    ExtractionMode mode = ExtractionMode::AllEmailData;
    FixedModeInputs inputs;
    OutputFormat format = OutputFormat::Lines;
    QString outputPath; // empty: standard output
    bool quiet = false;
    // --verbose: the run's download estimate and what it downloaded, on standard error.
    bool verbose = false;
    // --cache: fetched mail text is kept in the account's local copy and read from it.
    bool keepLocalCopy = false;
    // --clear-cache: the account's local copy is removed and nothing else is done.
    bool clearLocalCopy = false;
    // --ignore-daily-limit: a run that would pass the daily download limit goes ahead.
    bool ignoreDailyLimit = false;
};

struct ParsedArguments
{
    std::optional<CliOptions> options; // empty on a usage error or when help was asked for
    QString problem; // the one-line reason of a usage error
    bool helpWanted = false;
    bool versionWanted = false;
};

// Reads the arguments after the program name and checks them as far as that is possible without
// the server: known options, one mode, the line-number entry, both markers, readable CA file.
ParsedArguments ParseCliArguments(const QStringList &arguments);

QString CliUsageText();
