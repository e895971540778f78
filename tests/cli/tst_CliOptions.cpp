#include "CliOptions.h"
#include "PasswordSource.h"
#include "RunFolderName.h"
#include "SystemFolders.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(ExtractionMode)

namespace {

const QStringList Required = {u"--user"_s, u"tess@example.test"_s};

} // namespace

class tst_CliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usageErrors_data();
    void usageErrors();
    void modesAndInputs_data();
    void modesAndInputs();
    void helpAndDefaults();
    void folderName_data();
    void folderName();
    void passwordFromFile_data();
    void passwordFromFile();
    void passwordFromVariable();

private:
    QTemporaryDir m_dir;
};

void tst_CliOptions::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reasonPart");

    QTest::newRow("no user") << QStringList {u"--mode"_s, u"all"_s} << u"--user"_s;
    QTest::newRow("unknown option") << Required + QStringList {u"--colour"_s} << u"colour"_s;
    QTest::newRow("stray argument") << Required + QStringList {u"INBOX"_s} << u"INBOX"_s;
    QTest::newRow("unknown mode") << Required + QStringList {u"--mode"_s, u"every"_s} << u"every"_s;
    QTest::newRow("unknown format") << Required + QStringList {u"--format"_s, u"xml"_s} << u"xml"_s;
    QTest::newRow("password as an argument")
        << Required + QStringList {u"--password"_s, u"hunter2"_s} << u"--password-env"_s;
    QTest::newRow("two password sources")
        << Required + QStringList {u"--password-env"_s, u"P"_s, u"--password-file"_s, u"f"_s}
        << u"not both"_s;
    QTest::newRow("port not a number")
        << Required + QStringList {u"--host"_s, u"h:imap"_s} << u"h:imap"_s;
    QTest::newRow("missing CA file")
        << Required + QStringList {u"--ca-file"_s, u"/nonexistent/ca.pem"_s} << u"CA file"_s;
    QTest::newRow("CA file without a certificate") << Required
            + QStringList {u"--ca-file"_s, QStringLiteral(TEST_DATA_DIR "/../CMakeLists.txt")}
                                                   << u"CMakeLists.txt holds no PEM certificate"_s;
    QTest::newRow("empty port") << Required + QStringList {u"--host"_s, u"127.0.0.1:"_s}
                                << u"127.0.0.1:"_s;
    QTest::newRow("output in a missing folder")
        << Required + QStringList {u"--output"_s, u"/nonexistent/rows.txt"_s} << u"output"_s;
    QTest::newRow("line numbers empty")
        << Required + QStringList {u"--mode"_s, u"line-numbers"_s}
        << u"Entry must be number or numbers separated by commas."_s;
    QTest::newRow("line numbers with an empty piece")
        << Required + QStringList {u"--mode"_s, u"line-numbers"_s, u"--lines"_s, u"1,,2"_s}
        << u"Entry must be number"_s;
    QTest::newRow("line numbers with a word")
        << Required + QStringList {u"--mode"_s, u"line-numbers"_s, u"--lines"_s, u"1,two"_s}
        << u"Entry must be number"_s;
    QTest::newRow("line number 0")
        << Required + QStringList {u"--mode"_s, u"line-numbers"_s, u"--lines"_s, u"2,0"_s}
        << u"--lines: \"0\" is not a line number from 1 to 32767"_s;
    QTest::newRow("negative line number")
        << Required + QStringList {u"--mode"_s, u"line-numbers"_s, u"--lines"_s, u"-1"_s}
        << u"\"-1\""_s;
    QTest::newRow("line number past 32767")
        << Required + QStringList {u"--mode"_s, u"line-numbers"_s, u"--lines"_s, u"1, 32768"_s}
        << u"\"32768\""_s;
    QTest::newRow("containing without text")
        << Required + QStringList {u"--mode"_s, u"containing"_s} << u"--text"_s;
    QTest::newRow("between without markers")
        << Required + QStringList {u"--mode"_s, u"between"_s} << u"(X) and the end text (Y)"_s;
    QTest::newRow("between without Y")
        << Required + QStringList {u"--mode"_s, u"between"_s, u"--start"_s, u"["_s}
        << u"end text (Y)"_s;
    QTest::newRow("keep and clear the local copy at once")
        << Required + QStringList {u"--cache"_s, u"--clear-cache"_s} << u"not both"_s;
}

void tst_CliOptions::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reasonPart);
    const ParsedArguments parsed = ParseCliArguments(arguments);
    QVERIFY(!parsed.options);
    QVERIFY(!parsed.helpWanted);
    QVERIFY2(parsed.problem.contains(reasonPart), qPrintable(parsed.problem));
    QVERIFY(!parsed.problem.contains(u'\n'));
}

void tst_CliOptions::modesAndInputs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<ExtractionMode>("mode");
    QTest::addColumn<QString>("searchText");

    QTest::newRow("default is all") << QStringList {} << ExtractionMode::AllEmailData << QString();
    QTest::newRow("containing") << QStringList {u"--mode"_s, u"containing"_s, u"--text"_s, u"ab"_s}
                                << ExtractionMode::Containing << u"ab"_s;
    QTest::newRow("not containing")
        << QStringList {u"--mode"_s, u"not-containing"_s, u"--text"_s, u"cd"_s}
        << ExtractionMode::NotContaining << u"cd"_s;
    QTest::newRow("text set") << QStringList {u"--mode"_s, u"text-set"_s, u"--text"_s, u"ef"_s}
                              << ExtractionMode::ContainingList << u"ef"_s;
    // Numbers with blanks around them are accepted, as in the window.
    QTest::newRow("line numbers") << QStringList {u"--mode"_s, u"line-numbers"_s, u"--lines"_s,
                                                  u" 3 ,1,32767"_s}
                                  << ExtractionMode::LineNumber << QString();
    QTest::newRow("markers are not required outside between")
        << QStringList {u"--mode"_s, u"containing"_s, u"--text"_s, u"ab"_s, u"--start"_s, QString()}
        << ExtractionMode::Containing << u"ab"_s;
    QTest::newRow("listing needs no mode inputs")
        << QStringList {u"--list-folders"_s, u"--mode"_s, u"between"_s} << ExtractionMode::Between
        << QString();
}

void tst_CliOptions::modesAndInputs()
{
    QFETCH(QStringList, arguments);
    QFETCH(ExtractionMode, mode);
    QFETCH(QString, searchText);
    const ParsedArguments parsed = ParseCliArguments(Required + arguments);
    QVERIFY2(parsed.options, qPrintable(parsed.problem));
    QCOMPARE(parsed.options->mode, mode);
    FixedModeInputs inputs = parsed.options->inputs;
    const QString search = mode == ExtractionMode::NotContaining ? inputs.notContainingText()
        : mode == ExtractionMode::ContainingList                 ? inputs.textSetText()
                                                                 : inputs.containingText();
    QCOMPARE(search, searchText);
}

void tst_CliOptions::helpAndDefaults()
{
    QVERIFY(ParseCliArguments({u"--help"_s}).helpWanted);
    // --version needs no other option.
    const ParsedArguments version = ParseCliArguments({u"--version"_s});
    QVERIFY(version.versionWanted && !version.options && version.problem.isEmpty());

    const ParsedArguments parsed = ParseCliArguments(
        Required
        + QStringList {u"--mode"_s, u"between"_s, u"--start"_s, u"X"_s, u"--end"_s, u"Y"_s,
                       u"--include-end"_s, u"--characters"_s, u"needle"_s, u"--format"_s,
                       u"jsonl"_s, u"--label"_s, u"Work"_s, u"--quiet"_s});
    QVERIFY2(parsed.options, qPrintable(parsed.problem));
    const CliOptions &options = *parsed.options;
    QCOMPARE(options.format, OutputFormat::JsonLines);
    QCOMPARE(options.passwordVariable, u"TESSALINE_PASSWORD"_s);
    QCOMPARE(options.folderCaption, u"Inbox"_s);
    QCOMPARE(options.label, u"Work"_s);
    QVERIFY(options.quiet);
    QCOMPARE(options.inputs.startMarker, u"X"_s);
    QCOMPARE(options.inputs.endMarker, u"Y"_s);
    QVERIFY(!options.inputs.withStartMarker);
    QVERIFY(options.inputs.withEndMarker);
    QVERIFY(!options.inputs.duplicatesShown);
    QCOMPARE(options.inputs.filter, u"needle"_s);
    QVERIFY(options.outputPath.isEmpty());
    QVERIFY(!options.keepLocalCopy && !options.clearLocalCopy && !options.ignoreDailyLimit);

    const ParsedArguments downloads =
        ParseCliArguments(Required + QStringList {u"--cache"_s, u"--ignore-daily-limit"_s});
    QVERIFY2(downloads.options, qPrintable(downloads.problem));
    QVERIFY(downloads.options->keepLocalCopy && downloads.options->ignoreDailyLimit);
    QVERIFY(!downloads.options->clearLocalCopy);
}

void tst_CliOptions::folderName_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("folderName"); // "-": the server lists no such folder

    QTest::newRow("inbox is the empty name") << QString() << u"Inbox"_s << QString();
    QTest::newRow("inbox in any case") << QString() << u"INBOX"_s << QString();
    QTest::newRow("system folder by flag")
        << QString() << u"All Mail"_s << u"[Gmail]/Alle Nachrichten"_s;
    QTest::newRow("server's own caption")
        << QString() << u"alle nachrichten"_s << u"[Gmail]/Alle Nachrichten"_s;
    QTest::newRow("listed name first") << QString() << u"Spam"_s << u"Spam"_s;
    QTest::newRow("system folder not listed") << QString() << u"Trash"_s << u"-"_s;
    QTest::newRow("unknown caption") << QString() << u"Nowhere"_s << u"-"_s;
    QTest::newRow("label wins over the folder")
        << u"Événements"_s << u"Sent Mail"_s << u"Événements"_s;
    QTest::newRow("label naming a system folder")
        << u"[Gmail]/All Mail"_s << u"Inbox"_s << u"[Gmail]/All Mail"_s;
}

void tst_CliOptions::folderName()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(QString, folderName);
    // A label that happens to be called like a system folder's English caption.
    const FolderListing listing {{u"[Gmail]/Alle Nachrichten"_s, u"\\All"_s, true},
                                 {u"[Gmail]/Spam"_s, u"\\Junk"_s, true},
                                 {u"Spam"_s, QString(), true}};
    const std::optional<QString> name =
        RunFolderName(label, caption, listing, SystemFolders(listing));
    QCOMPARE(name.value_or(u"-"_s), folderName);
    QCOMPARE(RunFolderNeedsListing(label, caption), label.isEmpty() && !folderName.isEmpty());
}

void tst_CliOptions::passwordFromFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("password");

    QTest::newRow("editor's final line feed") << "demo-pass\n"_ba << u"demo-pass"_s;
    QTest::newRow("CR LF") << "demo-pass\r\n"_ba << u"demo-pass"_s;
    QTest::newRow("no line end") << "demo-pass"_ba << u"demo-pass"_s;
    QTest::newRow("blanks, quotes and non-ASCII kept")
        << " p\"a\\ss w\xc3\xb6rd \nsecond line"_ba << u" p\"a\\ss wörd "_s;
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("empty first line") << "\nlater"_ba << QString();
}

void tst_CliOptions::passwordFromFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, password);
    const QString path = m_dir.filePath(u"password"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
    file.close();

    CliOptions options;
    options.passwordFile = path;
    const PasswordSource source = PasswordSource::read(options);
    if (password.isEmpty()) {
        QVERIFY(!source.password);
        QVERIFY(source.problem.contains(path));
    } else {
        QCOMPARE(source.password, std::optional(password));
    }
}

void tst_CliOptions::passwordFromVariable()
{
    CliOptions options;
    options.passwordVariable = u"TST_CLI_PASSWORD"_s;
    qunsetenv("TST_CLI_PASSWORD");
    PasswordSource source = PasswordSource::read(options);
    QVERIFY(!source.password);
    QVERIFY(source.problem.contains(u"TST_CLI_PASSWORD"_s));

    qputenv("TST_CLI_PASSWORD", "s3cret w\xc3\xb6rd");
    source = PasswordSource::read(options);
    QCOMPARE(source.password, std::optional(u"s3cret wörd"_s));

    options.passwordFile = m_dir.filePath(u"absent"_s);
    source = PasswordSource::read(options);
    QVERIFY2(!source.password, "the file named wins over the variable");
}

QTEST_GUILESS_MAIN(tst_CliOptions)
#include "tst_CliOptions.moc"
