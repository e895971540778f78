#include "CliRowSink.h"
#include "ExportTable.h"
#include "JsonLines.h"
#include "ResultDestination.h"
#include "ResultFiles.h"
#include "Utf8Append.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(OutputFormat)

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Parses JSON lines back into rows; a line that is not exactly one JSON string fails.
QStringList ParseJsonLines(const QByteArray &bytes)
{
    QStringList rows;
    QByteArrayList lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (const QByteArray &line : lines) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson('[' + line + ']', &error);
        if (error.error != QJsonParseError::NoError || document.array().size() != 1
            || !document.array().at(0).isString())
            return {u"<not one JSON string: "_s + QString::fromUtf8(line) + u'>'};
        rows.append(document.array().at(0).toString());
    }
    return rows;
}

// Enough rows, some long, to cross several batch boundaries.
QStringList ManyRows()
{
    QStringList rows;
    for (int i = 0; i < 3000; ++i)
        rows.append(i % 100 == 0 ? QString(5000, u'x') + QString::number(i)
                                 : u"row %1, with \"quotes\"\r\nand a break"_s.arg(i));
    rows.append(QString());
    return rows;
}

QByteArray Expected(OutputFormat format, const QStringList &rows)
{
    const ExportTable table(rows, {});
    switch (format) {
    case OutputFormat::Lines:
        return TextFileContents(table).toUtf8();
    case OutputFormat::Csv:
        return CommaDelimitedContents(table).toUtf8();
    case OutputFormat::JsonLines:
        break;
    }
    return JsonLinesText(rows).toUtf8();
}

} // namespace

class tst_CliRowSink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jsonStringRoundTrips_data();
    void jsonStringRoundTrips();
    void jsonLineStaysOneLine();
    void utf8AppendMatchesToUtf8_data();
    void utf8AppendMatchesToUtf8();
    void fileEqualsOutputModuleText_data();
    void fileEqualsOutputModuleText();
    void partsWrittenLikeRows_data();
    void partsWrittenLikeRows();
    void emptyResult_data();
    void emptyResult();
    void duplicateIndexOnlyWhenAsked();
    void unfinishedRunKeepsPreviousFile_data();
    void unfinishedRunKeepsPreviousFile();

private:
    QTemporaryDir m_dir;
};

void tst_CliRowSink::jsonStringRoundTrips_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("quotes and backslashes") << u"say \"hi\" to C:\\temp\\"_s;
    QTest::newRow("CR LF body") << u"first\r\nsecond\r\n"_s;
    QTest::newRow("control characters") << u"tab\tbell\x07nul"_s + QChar(0) + u"\x1f\b\f"_s;
    QTest::newRow("non-ASCII") << u"Réunion d’équipe à Paris — 日本"_s;
    QTest::newRow("line and paragraph separators") << u"a\u2028b\u2029c"_s;
    QTest::newRow("astral plane") << u"emoji \U0001F600 end"_s;
    // Escapes at and around the edges of the blocks the scan tests at once.
    QTest::newRow("escapes after long plain runs")
        << QString(16, u'a') + u'"' + QString(14, u'b') + u"\\\u2029"_s + QString(33, u'c') + u'\n';
}

void tst_CliRowSink::jsonStringRoundTrips()
{
    QFETCH(QString, text);
    const QByteArray line = JsonString(text).toUtf8();
    QCOMPARE(ParseJsonLines(line), QStringList {text});
}

void tst_CliRowSink::jsonLineStaysOneLine()
{
    const QString text = u"a\nb\rc\u2028d\u2029e\u0085f"_s;
    const QString json = JsonString(text);
    for (const QChar character : json)
        QVERIFY2(character != u'\n' && character != u'\r' && character != QChar(0x2028)
                     && character != QChar(0x2029),
                 qPrintable(json));
    QCOMPARE(JsonLinesText({text, text}).count(u'\n'), 2);
}

void tst_CliRowSink::utf8AppendMatchesToUtf8_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("ASCII") << u"plain text\r\n"_s;
    QTest::newRow("non-ASCII after ASCII") << u"price: 5 \u20ac"_s;
    QTest::newRow("astral plane") << u"\U0001F600"_s;
    QTest::newRow("lone high surrogate") << u"a"_s + QChar(0xd83d) + u"b"_s;
    QTest::newRow("lone low surrogate at the end") << u"a"_s + QChar(0xde00);
}

void tst_CliRowSink::utf8AppendMatchesToUtf8()
{
    QFETCH(QString, text);
    QByteArray bytes("kept ");
    AppendUtf8(text, bytes);
    QCOMPARE(bytes, "kept "_ba + text.toUtf8());
}

void tst_CliRowSink::fileEqualsOutputModuleText_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::newRow("lines") << OutputFormat::Lines;
    QTest::newRow("csv") << OutputFormat::Csv;
    QTest::newRow("jsonl") << OutputFormat::JsonLines;
}

void tst_CliRowSink::fileEqualsOutputModuleText()
{
    QFETCH(OutputFormat, format);
    const QString path = m_dir.filePath(u"rows-%1"_s.arg(int(format)));
    const QStringList rows = ManyRows();
    {
        ResultDestination destination(path);
        CliRowSink sink(format, destination, false);
        QVERIFY(sink.begin());
        for (const QString &row : rows)
            sink.append(row);
        QVERIFY(sink.finish());
        QCOMPARE(sink.rowCount(), rows.size());
    }
    const QByteArray written = ReadAll(path);
    QCOMPARE(written.size(), Expected(format, rows).size());
    QVERIFY(written == Expected(format, rows));
    if (format == OutputFormat::JsonLines)
        QCOMPARE(ParseJsonLines(written), rows);
}

void tst_CliRowSink::partsWrittenLikeRows_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<bool>("keepIndex");
    QTest::newRow("lines") << OutputFormat::Lines << false;
    QTest::newRow("csv") << OutputFormat::Csv << false;
    QTest::newRow("jsonl") << OutputFormat::JsonLines << false;
    QTest::newRow("jsonl, duplicates hidden") << OutputFormat::JsonLines << true;
}

// Body lines arrive as views into the body: the file must not tell them from whole rows.
void tst_CliRowSink::partsWrittenLikeRows()
{
    QFETCH(OutputFormat, format);
    QFETCH(bool, keepIndex);
    const QString path = m_dir.filePath(u"parts-%1-%2"_s.arg(int(format)).arg(keepIndex));
    const QStringList rows = ManyRows();
    const QString body = rows.join(u"\r\n"_s);
    {
        ResultDestination destination(path);
        CliRowSink sink(format, destination, keepIndex);
        QVERIFY(sink.begin());
        for (const QStringView line : QStringView(body).split(u"\r\n"))
            sink.appendPart(line);
        QCOMPARE(sink.contains(rows.first()), keepIndex);
        QVERIFY(sink.finish());
    }
    QVERIFY(ReadAll(path) == Expected(format, body.split(u"\r\n"_s)));
}

void tst_CliRowSink::emptyResult_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QByteArray>("contents");
    // As the window saves an empty list: an empty text file, a comma file of one line end.
    QTest::newRow("lines") << OutputFormat::Lines << QByteArray();
    QTest::newRow("csv") << OutputFormat::Csv << "\r\n"_ba;
    QTest::newRow("jsonl") << OutputFormat::JsonLines << QByteArray();
}

void tst_CliRowSink::emptyResult()
{
    QFETCH(OutputFormat, format);
    QFETCH(QByteArray, contents);
    const QString path = m_dir.filePath(u"empty-%1"_s.arg(int(format)));
    ResultDestination destination(path);
    CliRowSink sink(format, destination, false);
    QVERIFY(sink.begin());
    QVERIFY(sink.finish());
    QCOMPARE(ReadAll(path), contents);
}

void tst_CliRowSink::duplicateIndexOnlyWhenAsked()
{
    ResultDestination destination(m_dir.filePath(u"index"_s));
    CliRowSink indexed(OutputFormat::Lines, destination, true);
    QVERIFY(indexed.begin());
    indexed.append(u"Alpha"_s);
    QVERIFY(indexed.contains(u"Alpha"_s));
    QVERIFY2(!indexed.contains(u"alpha"_s), "letter case is significant");
    QVERIFY(!indexed.contains(QString()));
    // Rows written out in an earlier batch still count.
    indexed.append(QString(200'000, u'z'));
    QVERIFY(indexed.contains(u"Alpha"_s));

    CliRowSink plain(OutputFormat::Lines, destination, false);
    plain.append(u"Alpha"_s);
    QVERIFY(!plain.contains(u"Alpha"_s));
}

void tst_CliRowSink::unfinishedRunKeepsPreviousFile_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::newRow("lines, streamed") << OutputFormat::Lines;
    QTest::newRow("csv, written at the end") << OutputFormat::Csv;
}

void tst_CliRowSink::unfinishedRunKeepsPreviousFile()
{
    QFETCH(OutputFormat, format);
    const QString path = m_dir.filePath(u"previous-%1"_s.arg(int(format)));
    QVERIFY(SaveTextFile(path, u"previous result\r\n"_s).isEmpty());
    {
        ResultDestination destination(path);
        CliRowSink sink(format, destination, false);
        QVERIFY(sink.begin());
        for (const QString &row : ManyRows())
            sink.append(row);
        // The run fails here: finish() is never called.
    }
    QCOMPARE(ReadAll(path), "previous result\r\n"_ba);
    // Nor is a half-written temporary file left behind.
    const QStringList left =
        QDir(m_dir.path())
            .entryList({QFileInfo(path).fileName() + u'*'}, QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList {QFileInfo(path).fileName()});
}

QTEST_GUILESS_MAIN(tst_CliRowSink)
#include "tst_CliRowSink.moc"
