#include "CliOptions.h"

#include "CliCredentials.h"

#include "BetweenMarkers.h"
#include "LineNumberEntry.h"
#include "ServerAddress.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <array>
#include <cmath>
#include <utility>

namespace {

const std::array<std::pair<const char *, ExtractionMode>, 6> ModeNames = {{
    {"all", ExtractionMode::AllEmailData},
    {"containing", ExtractionMode::Containing},
    {"not-containing", ExtractionMode::NotContaining},
    {"line-numbers", ExtractionMode::LineNumber},
    {"between", ExtractionMode::Between},
    {"text-set", ExtractionMode::ContainingList},
}};

const std::array<std::pair<const char *, OutputFormat>, 3> FormatNames = {{
    {"lines", OutputFormat::Lines},
    {"csv", OutputFormat::Csv},
    {"jsonl", OutputFormat::JsonLines},
}};

template<typename Value, std::size_t Count>
std::optional<Value> Named(const std::array<std::pair<const char *, Value>, Count> &names,
                           const QString &name)
{
    for (const auto &[text, value] : names) {
        if (name == QLatin1String(text))
            return value;
    }
    return std::nullopt;
}

QList<QCommandLineOption> OptionList()
{
    const auto valued = [](const char *name, const char *valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString(),
                                  QString::fromLatin1(valueName));
    };
    const auto flag = [](const char *name) {
        return QCommandLineOption(QString::fromLatin1(name));
    };
    return {valued("host", "HOST[:PORT]"),
            valued("ca-file", "PEM"),
            valued("user", "NAME"),
            valued("password-env", "VAR"),
            valued("password-file", "FILE"),
            valued("auth", "METHOD"),
            valued("oauth2-token-env", "VAR"),
            valued("password", "TEXT"),
            valued("folder", "CAPTION"),
            valued("label", "NAME"),
            valued("search", "TEXT"),
            valued("characters", "TEXT"),
            valued("mode", "MODE"),
            valued("text", "TEXT"),
            valued("lines", "LIST"),
            valued("start", "X"),
            valued("end", "Y"),
            flag("include-start"),
            flag("include-end"),
            flag("show-duplicates"),
            valued("format", "FORMAT"),
            valued("output", "FILE"),
            flag("quiet"),
            flag("verbose"),
            flag("list-folders"),
            flag("cache"),
            flag("clear-cache"),
            flag("ignore-daily-limit"),
            flag("help"),
            flag("version")};
}

// The window reads any 16-bit number and simply picks no line for one below 1; on the command
// line such a number is a mistake worth naming. Empty text when every piece is a line number.
QString LineNumberProblem(const QString &entry)
{
    if (!IsValidLineNumberEntry(entry))
        return QStringLiteral("Entry must be number or numbers separated by commas.");
    constexpr double highest = 32767;
    for (const QString &piece : entry.split(QLatin1Char(','))) {
        // Halves go to the even neighbour, as in the window.
        const double line = std::nearbyint(piece.trimmed().toDouble());
        if (!(line >= 1 && line <= highest)) {
            return QStringLiteral("--lines: \"%1\" is not a line number from 1 to %2")
                .arg(piece.trimmed())
                .arg(highest);
        }
    }
    return {};
}

// Fills the mode's own inputs; returns why they cannot be used, or empty text.
QString ReadModeInputs(const QCommandLineParser &parser, CliOptions &options)
{
    FixedModeInputs &inputs = options.inputs;
    const QString text = parser.value(QStringLiteral("text"));
    inputs.containing = text;
    inputs.notContaining = text;
    inputs.textSet = text;
    inputs.lineNumbers = parser.value(QStringLiteral("lines"));
    inputs.startMarker = parser.value(QStringLiteral("start"));
    inputs.endMarker = parser.value(QStringLiteral("end"));
    inputs.withStartMarker = parser.isSet(QStringLiteral("include-start"));
    inputs.withEndMarker = parser.isSet(QStringLiteral("include-end"));
    inputs.duplicatesShown = parser.isSet(QStringLiteral("show-duplicates"));
    inputs.filter = parser.value(QStringLiteral("characters"));
    if (options.listFolders)
        return {};
    if (options.mode == ExtractionMode::LineNumber)
        return LineNumberProblem(inputs.lineNumbers);
    if (options.mode == ExtractionMode::Containing && text.isEmpty())
        return QStringLiteral("--mode containing needs --text TEXT");
    if (options.mode == ExtractionMode::Between)
        return BetweenMarkersProblem(inputs.startMarker, inputs.endMarker);
    return {};
}

QString ReadConnectionOptions(const QCommandLineParser &parser, CliOptions &options)
{
    if (parser.isSet(QStringLiteral("password")))
        return QStringLiteral("a password is never given on the command line: use --password-env "
                              "VAR or --password-file FILE");
    options.user = parser.value(QStringLiteral("user"));
    if (options.user.isEmpty())
        return QStringLiteral("--user NAME is required");
    if (parser.isSet(QStringLiteral("password-env"))
        && parser.isSet(QStringLiteral("password-file")))
        return QStringLiteral("give either --password-env or --password-file, not both");
    if (parser.isSet(QStringLiteral("password-env")))
        options.passwordVariable = parser.value(QStringLiteral("password-env"));
    options.passwordFile = parser.value(QStringLiteral("password-file"));
    if (parser.isSet(QStringLiteral("auth"))) {
        const std::optional<CliCredentials::Auth> auth =
            CliCredentials::parseAuth(parser.value(QStringLiteral("auth")));
        if (!auth)
            return QStringLiteral("--auth must be password or oauth2, not \"%1\"")
                .arg(parser.value(QStringLiteral("auth")));
        options.auth = *auth;
    }
    options.tokenVariable = parser.value(QStringLiteral("oauth2-token-env"));
    if (!options.tokenVariable.isEmpty() && options.auth != CliCredentials::Auth::OAuth2)
        return QStringLiteral("--oauth2-token-env goes with --auth oauth2");
    options.host = parser.value(QStringLiteral("host"));
    if (parser.isSet(QStringLiteral("host")) && !ServerAddress::parseHostAndPort(options.host, 993))
        return QStringLiteral("--host must be HOST or HOST:PORT, not \"%1\"").arg(options.host);
    options.caFile = parser.value(QStringLiteral("ca-file"));
    QString caProblem;
    if (parser.isSet(QStringLiteral("ca-file"))
        && !ServerAddress::readAuthorities(options.caFile, &caProblem))
        return caProblem;
    return {};
}

QString ReadChoices(const QCommandLineParser &parser, CliOptions &options)
{
    if (parser.isSet(QStringLiteral("mode"))) {
        const QString name = parser.value(QStringLiteral("mode"));
        const std::optional<ExtractionMode> mode = Named(ModeNames, name);
        if (!mode)
            return QStringLiteral("unknown mode \"%1\"").arg(name);
        options.mode = *mode;
    }
    if (parser.isSet(QStringLiteral("format"))) {
        const QString name = parser.value(QStringLiteral("format"));
        const std::optional<OutputFormat> format = Named(FormatNames, name);
        if (!format)
            return QStringLiteral("unknown format \"%1\"").arg(name);
        options.format = *format;
    }
    if (parser.isSet(QStringLiteral("folder")))
        options.folderCaption = parser.value(QStringLiteral("folder"));
    options.label = parser.value(QStringLiteral("label"));
    options.search = parser.value(QStringLiteral("search"));
    options.outputPath = parser.value(QStringLiteral("output"));
    if (parser.isSet(QStringLiteral("output"))) {
        const QFileInfo output(options.outputPath);
        if (options.outputPath.isEmpty() || output.isDir() || !output.absoluteDir().exists())
            return QStringLiteral("cannot write the output file \"%1\"").arg(options.outputPath);
    }
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    options.listFolders = parser.isSet(QStringLiteral("list-folders"));
    return {};
}

QString ReadDownloadChoices(const QCommandLineParser &parser, CliOptions &options)
{
    options.keepLocalCopy = parser.isSet(QStringLiteral("cache"));
    options.clearLocalCopy = parser.isSet(QStringLiteral("clear-cache"));
    options.ignoreDailyLimit = parser.isSet(QStringLiteral("ignore-daily-limit"));
    if (options.keepLocalCopy && options.clearLocalCopy)
        return QStringLiteral("give either --cache or --clear-cache, not both");
    return {};
}

} // namespace

ParsedArguments ParseCliArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(OptionList());
    ParsedArguments parsed;
    // QCommandLineParser expects the program name first.
    if (!parser.parse(QStringList {QStringLiteral("tessaline-cli")} + arguments)) {
        parsed.problem = parser.errorText();
        return parsed;
    }
    parsed.helpWanted = parser.isSet(QStringLiteral("help"));
    parsed.versionWanted = parser.isSet(QStringLiteral("version"));
    if (parsed.helpWanted || parsed.versionWanted)
        return parsed;
    if (!parser.positionalArguments().isEmpty()) {
        parsed.problem = QStringLiteral("unexpected argument \"%1\"")
                             .arg(parser.positionalArguments().constFirst());
        return parsed;
    }
    CliOptions options;
    for (const auto &read :
         {ReadChoices, ReadDownloadChoices, ReadConnectionOptions, ReadModeInputs}) {
        parsed.problem = read(parser, options);
        if (!parsed.problem.isEmpty())
            return parsed;
    }
    parsed.options = std::move(options);
    return parsed;
}

QString CliUsageText()
{
    return QStringLiteral(
        "usage: tessaline-cli [--host HOST[:PORT]] [--ca-file PEM] --user NAME\n"
        "                     [--password-env VAR | --password-file FILE]  (default variable: "
        "TESSALINE_PASSWORD)\n"
        "                     [--auth password|oauth2] [--oauth2-token-env VAR]\n"
        "                     [--folder CAPTION | --label NAME] [--search TEXT]\n"
        "                     [--characters TEXT]\n"
        "                     [--mode "
        "all|containing|not-containing|line-numbers|between|text-set]\n"
        "                     [--text TEXT] [--lines LIST] [--start X --end Y] [--include-start]\n"
        "                     [--include-end] [--show-duplicates] [--format lines|csv|jsonl]\n"
        "                     [--output FILE] [--quiet] [--verbose] [--cache]\n"
        "                     [--ignore-daily-limit]\n"
        "       tessaline-cli --list-folders ...connection options...\n"
        "       tessaline-cli --clear-cache --user NAME  (removes the local copy of mail text)\n"
        "       tessaline-cli --version | --help\n"
        "exit status: 0 done, 1 rows not written, 2 usage error or refused past the daily\n"
        "             download limit, 3 sign-in failed,\n"
        "             4 folder cannot be selected, 5 connection or TLS failure,\n"
        "             6 stopped part-way (--output left as it was), 130 interrupted\n");
}
