#include "AccountDigest.h"
#include "DailyDownloadCount.h"
#include "DovecotFixture.h"
#include "FakeImapServer.h"
#include "ExportTable.h"
#include "GeneralDate.h"
#include "GoogleStandIn.h"
#include "LocalMailCopy.h"
#include "ResultFiles.h"
#include "SecretStore.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// One seeded message as the README of the fixture describes it.
struct Seed
{
    QString from;
    QDateTime date;
    QString subject;
    QStringList lines; // body lines split at CR LF; none for an empty body
};

QDateTime Utc(int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(2022, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

// The rows of "Extract All Email Data" for one message.
QStringList AllRows(const Seed &seed)
{
    QStringList rows {seed.from, GeneralDateText(seed.date.toLocalTime())};
    if (!seed.subject.isEmpty())
        rows.append(seed.subject);
    rows.append(seed.lines.join(u"\r\n"_s));
    return rows + seed.lines;
}

QStringList AllRows(const QList<Seed> &seeds)
{
    QStringList rows;
    for (const Seed &seed : seeds)
        rows += AllRows(seed);
    return rows;
}

const QList<Seed> &Inbox()
{
    static const QList<Seed> seeds = {
        {u"Alice Archer <alice@example.test>"_s,
         Utc(1, 3, 9, 15, 0),
         u"Quarterly figures"_s,
         {u"Hello team,"_s,
          {},
          u"Revenue for the quarter was 1200 pounds."_s,
          u"Costs came to 800 pounds."_s,
          {},
          u"Alice"_s,
          {}}},
        // Base64 with bare line feeds: the body is canonicalised to CR LF.
        {u"Bob Baker <bob@example.test>"_s,
         Utc(1, 4, 10, 30, 0),
         u"Line feeds only"_s,
         {u"first line"_s, u"second line"_s, {}, u"fourth line after an empty one"_s, {}}},
        {u"Jürgen Müller <juergen@example.de>"_s,
         Utc(1, 5, 14, 5, 9),
         u"Grüße aus München"_s,
         {u"Hallo Tess,"_s, {}, u"viele Grüße aus München."_s, u"Jürgen"_s, {}}},
        {u"Élodie Durand <elodie@example.fr>"_s,
         Utc(1, 6, 8, 0, 1),
         u"Café crème"_s,
         {u"Le café est prêt."_s,
          u"Une ligne très longue qui continue après un saut de ligne doux."_s,
          u"Prix: 3=4 euros"_s,
          {}}},
        {u"Weekly News <news@news.example.test>"_s,
         Utc(1, 6, 18, 30, 0),
         u"Weekly newsletter"_s,
         {u"This week in brief"_s, u"Read more at https://news.example.test/week-1"_s,
          u"Unsubscribe: https://news.example.test/unsubscribe?u=42"_s}},
        // HTML only: its source is the plain-text body.
        {u"Corner Shop <orders@shop.example.test>"_s,
         Utc(1, 7, 11, 11, 11),
         u"Your receipt"_s,
         {u"<html><body>"_s,
          u"<p>Thank you for your purchase.</p>"_s,
          u"<p>Total: <b>19.99</b></p>"_s,
          u"</body></html>"_s,
          {}}},
        {u"Accounts <accounts@supplier.example.test>"_s,
         Utc(1, 7, 15, 20, 0),
         u"Invoice INV-2022-0042"_s,
         {u"Please find the invoice attached."_s, u"Invoice number: INV-2022-0042"_s,
          u"Amount due: 250.00"_s}},
        {u"Carol Contact <carol@example.test>"_s,
         Utc(1, 1, 0, 0, 0),
         u"Contact list"_s,
         {u"Please add these people:"_s,
          u"a@b.co.uk"_s,
          u"Mixed.Case@Example.COM, x@y.museum"_s,
          u"Write to <first.last+news@mail.example.org> or (d_o-neil@example.net)."_s,
          u"Twice: a@b.co.uk"_s,
          {}}},
        {u"Corner Shop <orders@shop.example.test>"_s,
         Utc(1, 8, 16, 45, 30),
         u"Order #12345 shipped"_s,
         {u"Order #12345 shipped"_s,
          u"Order #12346 pending"_s,
          u"The rain in spain falls mainly on the plain."_s,
          u"Tracking: [TRK-001] and [TRK-002]"_s,
          {}}},
        {u"Dana Quiet <dana@example.test>"_s, Utc(1, 9, 7, 7, 7), {}, {}},
    };
    return seeds;
}

const QList<Seed> &Evenements()
{
    static const QList<Seed> seeds = {
        {u"Events Team <events@example.test>"_s,
         Utc(1, 19, 12, 0, 0),
         u"Company picnic"_s,
         {u"Picnic on Saturday in the park."_s, u"Bring a hat."_s, {}}},
        {u"Élodie Durand <elodie@example.fr>"_s,
         Utc(1, 20, 15, 30, 0),
         u"Réunion d\u2019équipe à Paris"_s,
         {u"Rendez-vous à 15 h au café."_s, u"À bientôt !"_s, {}}},
    };
    return seeds;
}

const QList<Seed> &Receipts()
{
    static const QList<Seed> seeds = {
        {u"Book Store <receipts@books.example.test>"_s,
         Utc(1, 15, 14, 0, 0),
         u"Receipt R-1001"_s,
         {u"Receipt R-1001"_s, u"1 x Paperback 9.99"_s, u"Total: 9.99"_s, {}}},
        {u"Train Tickets <tickets@rail.example.test>"_s,
         Utc(1, 16, 6, 30, 0),
         u"Receipt R-1002"_s,
         {u"Receipt R-1002"_s, u"Return ticket 42.50"_s, u"Total: 42.50"_s, {}}},
    };
    return seeds;
}

QStringList ParseJsonLines(const QByteArray &bytes)
{
    QStringList rows;
    QByteArrayList lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (const QByteArray &line : lines) {
        const QJsonArray array = QJsonDocument::fromJson('[' + line + ']').array();
        rows.append(array.size() == 1 && array.at(0).isString()
                        ? array.at(0).toString()
                        : u"<not one JSON string: "_s + QString::fromUtf8(line) + u'>');
    }
    return rows;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const int port = server.serverPort();
    server.close();
    return port;
}

} // namespace

class tst_CliRuns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void modes_data();
    void modes();
    void formatsEqualTheSavedFiles();
    void listFolders();
    void folderByCaptionOnEveryTree_data();
    void folderByCaptionOnEveryTree();
    void folderWithoutFlags();
    void quirkyPasswordFromFile();
    void emptyFolder();
    void failures_data();
    void failures();
    void oauth2SignInPaths_data();
    void oauth2SignInPaths();
    void clearCacheRemovesOnlyThatAccountsCopyWithoutSigningIn();
    void dailyLimitRefusesUnlessIgnored();

private:
    QString wrongPasswordFile() const { return m_dir.filePath(u"wrong-password"_s); }
    QStringList connection(const QString &caFile = {}) const;
    QStringList connectionAs(const QString &user) const;
    CliResult run(const QStringList &arguments, const QString &password = {}) const;

    DovecotFixture m_fixture;
    QTemporaryDir m_dir;
};

QStringList tst_CliRuns::connection(const QString &caFile) const
{
    return {u"--host"_s,    m_fixture.hostAndPort(),
            u"--ca-file"_s, caFile.isEmpty() ? m_fixture.caFile() : caFile,
            u"--user"_s,    m_fixture.user()};
}

QStringList tst_CliRuns::connectionAs(const QString &user) const
{
    QStringList arguments = connection();
    arguments.last() = user;
    return arguments;
}

CliResult tst_CliRuns::run(const QStringList &arguments, const QString &password) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TESSALINE_PASSWORD"_s,
                       password.isEmpty() ? m_fixture.password() : password);
    environment.remove(u"TESSALINE_IMAP_HOST"_s);
    environment.remove(u"TESSALINE_CA_FILE"_s);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(TESSALINE_CLI_PATH), arguments);
    CliResult result;
    // Waits with the event loop running: a scripted server in this process answers from it.
    if (!process.waitForStarted()
        || !QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; },
                            120'000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void tst_CliRuns::initTestCase()
{
    // The program reads its settings here, with the OAuth client the desktop program's
    // "Client..." dialog saves.
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    QSettings settings(m_dir.filePath(u"Marlowix/Tessaline.conf"_s), QSettings::IniFormat);
    settings.setValue(u"OAuthClientId"_s, QString::fromLatin1(GoogleStandIn::clientId));
    settings.setValue(u"OAuthClientSecret"_s, QString::fromLatin1(GoogleStandIn::clientSecret));

    QFile file(wrongPasswordFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not-the-password\n");
}

void tst_CliRuns::modes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("rows");

    const Seed &shop = Inbox().at(5);
    const Seed &order = Inbox().at(8);
    const Seed &paperback = Receipts().at(0);
    const Seed &ticket = Receipts().at(1);

    QTest::newRow("all: inbox by default") << QStringList {} << AllRows(Inbox());
    QTest::newRow("all: non-ASCII label")
        << QStringList {u"--label"_s, u"Événements"_s} << AllRows(Evenements());
    QTest::newRow("containing ignores letter case")
        << QStringList {u"--mode"_s, u"containing"_s, u"--text"_s, u"ORDER"_s}
        << QStringList {shop.from, order.from, order.subject, order.lines.at(0), order.lines.at(1)};
    QTest::newRow("not containing: nested label, empty lines kept")
        << QStringList {u"--label"_s, u"Personal/Receipts"_s,
                        u"--mode"_s,  u"not-containing"_s,
                        u"--text"_s,  u"total"_s}
        << QStringList {paperback.from,        GeneralDateText(paperback.date.toLocalTime()),
                        paperback.subject,     paperback.lines.at(0),
                        paperback.lines.at(1), QString(),
                        ticket.from,           GeneralDateText(ticket.date.toLocalTime()),
                        ticket.subject,        ticket.lines.at(0),
                        ticket.lines.at(1),    QString()};
    QTest::newRow("line numbers in body order: system folder caption")
        << QStringList {u"--folder"_s,     u"Sent Mail"_s, u"--mode"_s,
                        u"line-numbers"_s, u"--lines"_s,   u"3,1"_s}
        << QStringList {u"Thanks Alice, looks good."_s, QString(),
                        u"Can we meet on Friday at 10:00?"_s, QString()};
    QTest::newRow("between with both markers included")
        << QStringList {u"--mode"_s, u"between"_s, u"--start"_s,         u"["_s,
                        u"--end"_s,  u"]"_s,       u"--include-start"_s, u"--include-end"_s}
        << QStringList {u"[TRK-001]"_s, u"[TRK-002]"_s};
    const QStringList receiptNumbers = {
        u"--label"_s, u"Personal/Receipts"_s, u"--mode"_s, u"between"_s,
        u"--start"_s, u"receipt r-"_s,        u"--end"_s,  u"0"_s};
    QTest::newRow("between hides duplicates across fields and messages")
        << receiptNumbers << QStringList {u"1"_s};
    QTest::newRow("between shows duplicates when asked") << receiptNumbers
            + QStringList {u"--show-duplicates"_s} << QStringList {u"1"_s, u"1"_s, u"1"_s, u"1"_s};
    QTest::newRow("text set") << QStringList {u"--label"_s, u"Personal/Receipts"_s,
                                              u"--mode"_s,  u"text-set"_s,
                                              u"--text"_s,  u"receipt"_s}
                              << QStringList {paperback.from, paperback.subject,
                                              paperback.lines.at(0), ticket.subject,
                                              ticket.lines.at(0)};
    QTest::newRow("character filter narrows the messages")
        << QStringList {u"--label"_s, u"Personal/Receipts"_s, u"--characters"_s, u"Paperback"_s}
        << AllRows(paperback);
    QTest::newRow("server-side search narrows the run")
        << QStringList {u"--label"_s, u"Personal/Receipts"_s, u"--search"_s, u"paperback"_s}
        << AllRows(paperback);
}

void tst_CliRuns::modes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, rows);
    const CliResult result =
        run(connection() + arguments + QStringList {u"--format"_s, u"jsonl"_s});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(ParseJsonLines(result.out), rows);
}

void tst_CliRuns::formatsEqualTheSavedFiles()
{
    const ExportTable table(AllRows(Inbox()), {});
    const CliResult lines = run(connection() + QStringList {u"--format"_s, u"lines"_s});
    QCOMPARE(lines.exitCode, 0);
    QVERIFY(lines.out == TextFileContents(table).toUtf8());

    const QString csvPath = m_dir.filePath(u"rows.csv"_s);
    const CliResult csv =
        run(connection() + QStringList {u"--format"_s, u"csv"_s, u"--output"_s, csvPath});
    QCOMPARE(csv.exitCode, 0);
    QVERIFY(csv.out.isEmpty());
    QVERIFY(ReadAll(csvPath) == CommaDelimitedContents(table).toUtf8());

    const QString linesPath = m_dir.filePath(u"rows.txt"_s);
    QCOMPARE(run(connection() + QStringList {u"--output"_s, linesPath}).exitCode, 0);
    QVERIFY(ReadAll(linesPath) == lines.out);
}

void tst_CliRuns::listFolders()
{
    const CliResult result = run(connection() + QStringList {u"--list-folders"_s});
    QCOMPARE(result.exitCode, 0);
    const QStringList expected = {u"Événements"_s,
                                  u"Work"_s,
                                  u"Personal"_s,
                                  u"Personal/Receipts"_s,
                                  u"[Gmail]"_s,
                                  u"[Gmail]/Trash\t\\Trash"_s,
                                  u"[Gmail]/Starred\t\\Flagged"_s,
                                  u"[Gmail]/Spam\t\\Junk"_s,
                                  u"[Gmail]/Sent Mail\t\\Sent"_s,
                                  u"[Gmail]/Important\t\\Important"_s,
                                  u"[Gmail]/Drafts\t\\Drafts"_s,
                                  u"[Gmail]/All Mail\t\\All"_s,
                                  u"INBOX"_s};
    QCOMPARE(QString::fromUtf8(result.out).split(u'\n', Qt::SkipEmptyParts), expected);

    const CliResult json = run(connectionAs(m_fixture.treeUser(u"french"_s))
                               + QStringList {u"--list-folders"_s, u"--format"_s, u"jsonl"_s});
    QCOMPARE(json.exitCode, 0);
    const QList<QByteArray> lines = json.out.split('\n');
    QVERIFY(lines.contains(
        R"({"name": "[Gmail]/Messages envoyés", "use": "\\Sent", "selectable": true})"_ba));
    QVERIFY(lines.contains(R"({"name": "[Gmail]", "use": null, "selectable": false})"_ba));
}

void tst_CliRuns::folderByCaptionOnEveryTree_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("folder");

    QTest::newRow("[Google Mail]") << u"googlemail"_s << u"Sent Mail"_s;
    QTest::newRow("French, by the window's caption") << u"french"_s << u"sent mail"_s;
    QTest::newRow("French, by the server's caption") << u"french"_s << u"Messages envoyés"_s;
    QTest::newRow("French, by the listed name") << u"french"_s << u"[Gmail]/Messages envoyés"_s;
}

// The same command reads the sent mail (as in `modes`) on every account language and prefix.
void tst_CliRuns::folderByCaptionOnEveryTree()
{
    QFETCH(QString, tree);
    QFETCH(QString, folder);
    const CliResult result =
        run(connectionAs(m_fixture.treeUser(tree))
            + QStringList {u"--folder"_s, folder, u"--mode"_s, u"line-numbers"_s, u"--lines"_s,
                           u"3,1"_s, u"--format"_s, u"jsonl"_s});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(ParseJsonLines(result.out),
             (QStringList {u"Thanks Alice, looks good."_s, QString(),
                           u"Can we meet on Friday at 10:00?"_s, QString()}));
}

// A server that sends no special-use flags: the English name under "[Google Mail]/".
void tst_CliRuns::folderWithoutFlags()
{
    FakeImapServer server;
    QVERIFY2(server.listen(), qPrintable(server.errorString()));
    server.addScenario(FakeImapServer::signedInOpening(0).mid(0, 6)
                       + QList<QByteArray> {
                           "C: a3 LIST \"\" \"*\"",
                           "S: * LIST (\\Noselect \\HasChildren) \"/\" \"[Google Mail]\"",
                           "S: * LIST (\\HasNoChildren) \"/\" \"[Google Mail]/Sent Mail\"",
                           "S: * LIST (\\HasNoChildren) \"/\" \"[Google Mail]/All Mail\"",
                           "S: * LIST (\\HasNoChildren) \"/\" INBOX",
                           "S: a3 OK List completed",
                           "C: a4 EXAMINE \"[Google Mail]/All Mail\"",
                           "S: * 0 EXISTS",
                           "S: a4 OK [READ-ONLY] Examine completed",
                       });
    const CliResult result =
        run({u"--host"_s, u"127.0.0.1:%1"_s.arg(server.port()), u"--ca-file"_s, server.caFile(),
             u"--user"_s, u"user"_s, u"--folder"_s, u"All Mail"_s},
            u"secret"_s);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QVERIFY(result.err.contains("There are no emails in the Folder you selected."));
    QVERIFY(server.isAllScenarioDone());
    QVERIFY2(server.mismatches().isEmpty(), qPrintable(server.mismatches().join(u" / "_s)));
}

void tst_CliRuns::quirkyPasswordFromFile()
{
    const QString path = m_dir.filePath(u"quirky-password"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m_fixture.quirkyPassword().toUtf8() + '\n');
    file.close();
    const CliResult result =
        run({u"--host"_s, m_fixture.hostAndPort(), u"--ca-file"_s, m_fixture.caFile(), u"--user"_s,
             m_fixture.quirkyUser(), u"--password-file"_s, path, u"--label"_s, u"Work"_s,
             u"--mode"_s, u"containing"_s, u"--text"_s, u"WRK-"_s, u"--format"_s, u"jsonl"_s});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QString line = u"Owners assigned, see ticket WRK-7 and ticket WRK-9."_s;
    QCOMPARE(ParseJsonLines(result.out), QStringList {line});
}

void tst_CliRuns::emptyFolder()
{
    const QString path = m_dir.filePath(u"drafts.csv"_s);
    const CliResult result = run(
        connection()
        + QStringList {u"--folder"_s, u"Drafts"_s, u"--format"_s, u"csv"_s, u"--output"_s, path});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.contains("There are no emails in the Folder you selected."));
    QCOMPARE(ReadAll(path), "\r\n"_ba);
}

void tst_CliRuns::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("reason");

    const DovecotFixture fixture;
    const QStringList user = {u"--user"_s, fixture.user()};
    const QStringList server = {u"--host"_s, fixture.hostAndPort(), u"--ca-file"_s,
                                fixture.caFile()};

    QTest::newRow("between with an empty end marker")
        << server + user + QStringList {u"--mode"_s, u"between"_s, u"--start"_s, u"x"_s} << 2
        << "end text (Y)"_ba;
    QTest::newRow("password variable not set")
        << server + user + QStringList {u"--password-env"_s, u"TST_CLI_NOT_SET"_s} << 2
        << "TST_CLI_NOT_SET"_ba;
    QTest::newRow("password on the command line")
        << server + user + QStringList {u"--password"_s, u"demo-pass"_s} << 2
        << "--password-file"_ba;
    QTest::newRow("empty password file")
        << server + user + QStringList {u"--password-file"_s, u"/dev/null"_s} << 2 << "empty"_ba;
    QTest::newRow("wrong password")
        << server + user + QStringList {u"--password-file"_s, wrongPasswordFile()} << 3
        << "sign-in as tess@example.test failed: "_ba;
    QTest::newRow("wrong user") << server + QStringList {u"--user"_s, u"nobody@example.test"_s} << 3
                                << "sign-in as nobody@example.test failed: "_ba;
    QTest::newRow("unknown label") << server + user + QStringList {u"--label"_s, u"No Such Label"_s}
                                   << 4 << "\"No Such Label\""_ba;
    QTest::newRow("unknown folder") << server + user + QStringList {u"--folder"_s, u"Nowhere"_s}
                                    << 4 << "lists no folder \"Nowhere\""_ba;
    QTest::newRow("search without a translation")
        << server + user + QStringList {u"--search"_s, u"has:attachment"_s} << 2
        << "the search could not be run: \"has:attachment\""_ba;
    QTest::newRow("system folder hidden from IMAP") << server
            + QStringList {u"--user"_s, fixture.treeUser(u"hidden"_s), u"--folder"_s,
                           u"Sent Mail"_s} << 4 << "\"Show in IMAP\""_ba;
    QTest::newRow("untrusted CA") << QStringList {u"--host"_s, fixture.hostAndPort(),
                                                  u"--ca-file"_s, fixture.untrustedCaFile()}
            + user << 5 << "connection failed: "_ba;
    QTest::newRow("closed port") << QStringList {u"--host"_s, u"127.0.0.1:%1"_s.arg(ClosedPort()),
                                                 u"--ca-file"_s, fixture.caFile()}
            + user << 5 << "connection failed: "_ba;
}

void tst_CliRuns::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, reason);
    const QString path = m_dir.filePath(u"previous.txt"_s);
    QVERIFY(SaveTextFile(path, u"rows of an earlier run\r\n"_s).isEmpty());

    const CliResult result = run(arguments + QStringList {u"--output"_s, path});
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.startsWith("tessaline-cli: "), result.err.constData());
    QVERIFY2(result.err.contains(reason), result.err.constData());
    QVERIFY(result.out.isEmpty());
    QCOMPARE(ReadAll(path), "rows of an earlier run\r\n"_ba);
    // The server's own reason is named, not only the stage.
    if (exitCode == 3)
        QVERIFY2(result.err.contains("AUTHENTICATIONFAILED"), result.err.constData());
}

// --auth oauth2 against Dovecot's oauth2 passdb, which accepts the stand-in's tokens. The run
// shares this test's private secret store (with-keyring.sh).
void tst_CliRuns::oauth2SignInPaths_data()
{
    QTest::addColumn<bool>("savedSignIn");
    QTest::addColumn<int>("tokenLifetime"); // seconds; 0: no --oauth2-token-env
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reason");

    QTest::newRow("refresh token the desktop program saved") << true << 0 << 0 << QString();
    QTest::newRow("access token from a variable") << false << 3600 << 0 << QString();
    QTest::newRow("expired access token from a variable")
        << false << -60 << 3 << u"the token was refused"_s;
    QTest::newRow("neither") << false << 0 << 3
                             << u"no saved Google sign-in for %1"_s.arg(m_fixture.user());
}

void tst_CliRuns::oauth2SignInPaths()
{
    QFETCH(bool, savedSignIn);
    QFETCH(int, tokenLifetime);
    QFETCH(int, exitCode);
    QFETCH(QString, reason);
    GoogleStandIn google;
    QVERIFY(google.listen());
    google.exportEnvironment();
    const QString key = SecretStore::refreshTokenKey(m_fixture.user());
    const auto restore = qScopeGuard([key] {
        SecretStore().remove(key);
        for (const char *name :
             {"TESSALINE_OAUTH_AUTH_URL", "TESSALINE_OAUTH_TOKEN_URL", "TST_ACCESS_TOKEN"})
            qunsetenv(name);
    });
    if (savedSignIn) // as the desktop program leaves it after a sign-in with Google
        QCOMPARE(SecretStore().write(key, google.issueRefreshToken(m_fixture.user())),
                 SecretStore::Outcome::Stored);
    QStringList arguments = connection() + QStringList {u"--auth"_s, u"oauth2"_s};
    if (tokenLifetime != 0) {
        arguments << u"--oauth2-token-env"_s << u"TST_ACCESS_TOKEN"_s;
        qputenv("TST_ACCESS_TOKEN",
                GoogleStandIn::accessTokenFor(
                    m_fixture.user(), QDateTime::currentDateTimeUtc().addSecs(tokenLifetime))
                    .toLatin1());
    }

    const CliResult result = run(arguments + QStringList {u"--format"_s, u"jsonl"_s});

    QVERIFY2(result.exitCode == exitCode, result.err.constData());
    QVERIFY2(QString::fromUtf8(result.err).contains(reason), result.err.constData());
    QCOMPARE(ParseJsonLines(result.out), exitCode == 0 ? AllRows(Inbox()) : QStringList());
    QCOMPARE(google.refreshes(), savedSignIn ? 1 : 0);
}

void tst_CliRuns::clearCacheRemovesOnlyThatAccountsCopyWithoutSigningIn()
{
    // The copies go where the program's own cache location is.
    QTemporaryDir cacheHome;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(u"Marlowix"_s);
    QCoreApplication::setApplicationName(u"Tessaline"_s);
    const MessageKey key {u"INBOX"_s, 1, 1};
    KeptMessage message;
    message.subject = "kept"_ba;
    LocalMailCopy(u"one@example.test"_s).keep({{key, message}});
    LocalMailCopy(u"two@example.test"_s).keep({{key, message}});

    // No password is read and no server is asked: a closed port and a missing file show it.
    const QStringList arguments {
        u"--clear-cache"_s, u"--user"_s,          u"One@example.test"_s,       u"--host"_s,
        u"127.0.0.1:1"_s,   u"--password-file"_s, m_dir.filePath(u"missing"_s)};
    CliResult result = run(arguments);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains("removed the local copy"), result.err.constData());
    QVERIFY(!LocalMailCopy::isKept(u"one@example.test"_s));
    QVERIFY(LocalMailCopy::isKept(u"two@example.test"_s));
    result = run(arguments);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains("no local copy"), result.err.constData());
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setApplicationName(application);
    qunsetenv("XDG_CACHE_HOME");
}

// Near the day's limit a run is refused before it reads anything, naming both numbers, unless
// --ignore-daily-limit; either way what it downloaded is counted for the day.
void tst_CliRuns::dailyLimitRefusesUnlessIgnored()
{
    // The program's own settings, under the XDG_CONFIG_HOME set at the start.
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(u"Marlowix"_s);
    QCoreApplication::setApplicationName(u"Tessaline"_s);
    const QString user = m_fixture.user();
    const QString key = SettingsKeys::dailyDownload(AccountDigest(user));
    RemoveSetting(key); // what the other runs here downloaded
    const auto restore = qScopeGuard([&] {
        RemoveSetting(key);
        QCoreApplication::setOrganizationName(organization);
        QCoreApplication::setApplicationName(application);
    });
    const qint64 counted = DailyDownloadLimitBytes - 100;
    DailyDownloadCount().add(user, counted);
    const QStringList arguments = connection() + QStringList {u"--format"_s, u"jsonl"_s};

    CliResult result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    const QByteArray numbers = "This run would download about 1 MB, and 2,000 MB were downloaded";
    QVERIFY2(result.err.contains(numbers), result.err.constData());
    QVERIFY2(result.err.contains("Run again with --ignore-daily-limit"), result.err.constData());
    const qint64 afterRefusal = DailyDownloadCount().today(user);
    QVERIFY(afterRefusal > counted);

    // The refused run's own bytes have now taken the day past the limit.
    result = run(arguments + QStringList {u"--ignore-daily-limit"_s, u"--verbose"_s});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(ParseJsonLines(result.out), AllRows(Inbox()));
    QVERIFY2(result.err.contains("this run would download about 1 MB; 2,001 MB were downloaded "
                                 "from this account today"),
             result.err.constData());
    QVERIFY2(result.err.contains("this run downloaded 1 MB"), result.err.constData());
    QVERIFY(DailyDownloadCount().today(user) > afterRefusal);
}

QTEST_GUILESS_MAIN(tst_CliRuns)
#include "tst_CliRuns.moc"
