#include "BetweenMarkers.h"
#include "FixedModeInputs.h"
#include "MessageRows.h"
#include "ResultListModel.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Rain = u"The rain in spain falls mainly on the plain."_s;

QStringList Pieces(const QString &source, const BetweenOptions &options)
{
    ResultListModel rows;
    ExtractBetween(source, options, rows);
    return rows.texts();
}

} // namespace

class tst_BetweenMarkers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pieces_data();
    void pieces();
    void duplicatesAcrossMessages_data();
    void duplicatesAcrossMessages();
    void sourcesInOrderNeverSpanned();
    void emptyMarkers_data();
    void emptyMarkers();
    void eventsRunOncePerMarker();
};

void tst_BetweenMarkers::pieces_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("includeStart");
    QTest::addColumn<bool>("includeEnd");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("rain in spain")
        << Rain << u"p"_s << u"n"_s << false << false << QStringList {u"ai"_s, u"lai"_s};
    QTest::newRow("rain in spain with markers")
        << Rain << u"p"_s << u"n"_s << true << true << QStringList {u"pain"_s, u"plain"_s};
    QTest::newRow("markers as typed, in capitals")
        << Rain << u"P"_s << u"N"_s << true << true << QStringList {u"PaiN"_s, u"PlaiN"_s};
    QTest::newRow("only X included")
        << Rain << u"P"_s << u"n"_s << true << false << QStringList {u"Pai"_s, u"Plai"_s};
    QTest::newRow("pieces keep the message's case")
        << u"<<Hello>> and <<WORLD>>"_s << u"<<"_s << u">>"_s << false << false
        << QStringList {u"Hello"_s, u"WORLD"_s};
    QTest::newRow("case-blind marker search") << u"xxSTARTabcENDyy"_s << u"start"_s << u"end"_s
                                              << false << false << QStringList {u"abc"_s};
    QTest::newRow("overlapping pieces")
        << u"[a[b]"_s << u"["_s << u"]"_s << false << false << QStringList {u"a[b"_s, u"b"_s};
    QTest::newRow("Y right after X gives nothing")
        << u"ab"_s << u"a"_s << u"b"_s << false << false << QStringList {};
    QTest::newRow("Y right after X, X included")
        << u"ab"_s << u"a"_s << u"b"_s << true << false << QStringList {u"a"_s};
    QTest::newRow("Y right after X, both included")
        << u"ab"_s << u"a"_s << u"b"_s << true << true << QStringList {u"ab"_s};
    QTest::newRow("Y only before X")
        << u"] [x"_s << u"["_s << u"]"_s << false << false << QStringList {};
    QTest::newRow("Y before X, then an X without Y")
        << u"]x[y]z["_s << u"["_s << u"]"_s << false << false << QStringList {u"y"_s};
    QTest::newRow("Y beginning inside X is no end")
        << u"abcxyz"_s << u"abc"_s << u"bc"_s << false << false << QStringList {};
    QTest::newRow("Y equal to X") << u"|a|b|"_s << u"|"_s << u"|"_s << false << false
                                  << QStringList {u"a"_s, u"b"_s};
    QTest::newRow("multi-character markers") << u"<b>one</b><b>two</b>"_s << u"<B>"_s << u"</B>"_s
                                             << false << false << QStringList {u"one"_s, u"two"_s};
    QTest::newRow("duplicates hidden within one source")
        << u"(a)(a)(A)"_s << u"("_s << u")"_s << false << false << QStringList {u"a"_s, u"A"_s};
    QTest::newRow("dotted capital I before the marker")
        << u"\u0130\u0130 [piece]"_s << u"["_s << u"]"_s << false << false
        << QStringList {u"piece"_s};
}

void tst_BetweenMarkers::pieces()
{
    QFETCH(QString, source);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, includeStart);
    QFETCH(bool, includeEnd);
    QFETCH(QStringList, rows);
    QCOMPARE(Pieces(source, {start, end, includeStart, includeEnd, false}), rows);
}

void tst_BetweenMarkers::duplicatesAcrossMessages_data()
{
    QTest::addColumn<bool>("showDuplicates");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("hidden") << false << QStringList {u"one"_s, u"ONE"_s, u"two"_s};
    QTest::newRow("shown") << true
                           << QStringList {u"one"_s, u"ONE"_s, u"one"_s, u"two"_s, u"one"_s};
}

void tst_BetweenMarkers::duplicatesAcrossMessages()
{
    QFETCH(bool, showDuplicates);
    QFETCH(QStringList, rows);
    FixedModeInputs inputs;
    inputs.startMarker = u"{"_s;
    inputs.endMarker = u"}"_s;
    inputs.duplicatesShown = showDuplicates;
    ResultListModel list;
    MailListing first;
    first.Subject = u"{one} {ONE}"_s;
    MailListing second;
    second.Subject = u"{one}"_s;
    second.PlainTextBody = u"{two}\r\n{one}"_s;
    ExtractRows(first, ExtractionMode::Between, inputs, list);
    ExtractRows(second, ExtractionMode::Between, inputs, list);
    QCOMPARE(list.texts(), rows);
}

void tst_BetweenMarkers::sourcesInOrderNeverSpanned()
{
    FixedModeInputs inputs;
    inputs.startMarker = u"/"_s;
    inputs.endMarker = u"/"_s;
    inputs.duplicatesShown = true;
    MailListing message;
    message.From = u"a/from/b"_s;
    message.FromName = u"/name/"_s; // never a source
    message.ReceivedDate = u"03/04/2021"_s;
    message.Subject = u"x/"_s; // X at the end of one source, Y in the next: no piece
    message.PlainTextBody = u"/body\r\nline/"_s; // the body is one text, not lines
    message.HTMLTextBody = u"/html/"_s;
    ResultListModel list;
    ExtractRows(message, ExtractionMode::Between, inputs, list);
    QCOMPARE(list.texts(), (QStringList {u"from"_s, u"04"_s, u"body\r\nline"_s}));
}

void tst_BetweenMarkers::emptyMarkers_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("refused");

    QTest::newRow("both given") << u"a"_s << u"b"_s << false;
    QTest::newRow("blank markers are markers") << u" "_s << u" "_s << false;
    QTest::newRow("no X") << QString() << u"b"_s << true;
    QTest::newRow("no Y") << u"a"_s << QString() << true;
    QTest::newRow("neither") << QString() << QString() << true;
}

void tst_BetweenMarkers::emptyMarkers()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, refused);
    const QString problem = BetweenMarkersProblem(start, end);
    QCOMPARE(!problem.isEmpty(), refused);
    if (start.isEmpty())
        QVERIFY(problem.contains(u"(X)"_s));
    if (end.isEmpty())
        QVERIFY(problem.contains(u"(Y)"_s));
    // Markers emptied in the dialog during a run: no rows, and above all no endless scan.
    if (refused)
        QCOMPARE(Pieces(u"a b a b"_s, {start, end, true, true, true}), QStringList {});
}

void tst_BetweenMarkers::eventsRunOncePerMarker()
{
    int eventPoints = 0;
    ResultListModel rows;
    ExtractBetween(u"[a] [b] [c"_s, {u"["_s, u"]"_s, false, false, false}, rows,
                   [&] { ++eventPoints; });
    // Once per X while the rest still holds a Y, also for the last X that finds none after it.
    QCOMPARE(eventPoints, 3);
    QCOMPARE(rows.texts(), (QStringList {u"a"_s, u"b"_s}));
}

QTEST_GUILESS_MAIN(tst_BetweenMarkers)
#include "tst_BetweenMarkers.moc"
