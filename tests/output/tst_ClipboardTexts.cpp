#include "ClipboardTexts.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

ExportTable Table(const QStringList &texts, const QList<bool> &ticked)
{
    return ExportTable(texts, ticked);
}

} // namespace

class tst_ClipboardTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts_data();
    void texts();
    void emptyListGivesNoText();
    void severalColumns();
    void selLength();
};

void tst_ClipboardTexts::texts_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<bool>>("ticked");
    QTest::addColumn<QString>("enter");
    QTest::addColumn<QString>("space");
    QTest::addColumn<QString>("tab");

    QTest::newRow("abc and a, both ticked")
        << QStringList {u"abc"_s, u"a"_s} << QList<bool> {true, true} << u"abc\r\na\r\n"_s
        << u"abc     \r\na       \r\n"_s << u"abc\t\r\na  \t\r\n"_s;
    QTest::newRow("none ticked gives empty text")
        << QStringList {u"abc"_s, u"a"_s} << QList<bool> {false, false} << QString() << QString()
        << QString();
    QTest::newRow("long unticked row widens the column")
        << QStringList {u"ab"_s, u"abcdef"_s} << QList<bool> {true, false} << u"ab\r\n"_s
        << u"ab         \r\n"_s << u"ab    \t\r\n"_s;
    QTest::newRow("only ticked rows, in list order")
        << QStringList {u"x"_s, u"yy"_s, u"z"_s} << QList<bool> {false, true, true}
        << u"yy\r\nz\r\n"_s << u"yy     \r\nz      \r\n"_s << u"yy\t\r\nz \t\r\n"_s;
    QTest::newRow("empty row ticked")
        << QStringList {QString(), u"ab"_s} << QList<bool> {true, false} << u"\r\n"_s
        << u"       \r\n"_s << u"  \t\r\n"_s;
    QTest::newRow("line breaks and tabs inside a row are kept")
        << QStringList {u"a\r\nb"_s, u"c\td"_s} << QList<bool> {true, true}
        << u"a\r\nb\r\nc\td\r\n"_s << u"a\r\nb     \r\nc\td      \r\n"_s
        << u"a\r\nb\t\r\nc\td \t\r\n"_s;
}

void tst_ClipboardTexts::texts()
{
    QFETCH(QStringList, rows);
    QFETCH(QList<bool>, ticked);
    QFETCH(QString, enter);
    QFETCH(QString, space);
    QFETCH(QString, tab);
    const ExportTable table = Table(rows, ticked);
    QCOMPARE(ClipboardTextEnter(table), std::optional(enter));
    QCOMPARE(ClipboardTextSpace(table), std::optional(space));
    QCOMPARE(ClipboardTextTab(table), std::optional(tab));
}

void tst_ClipboardTexts::emptyListGivesNoText()
{
    // No text at all: the clipboard is to be left as it is.
    const ExportTable table = Table({}, {});
    QVERIFY(!ClipboardTextEnter(table).has_value());
    QVERIFY(!ClipboardTextSpace(table).has_value());
    QVERIFY(!ClipboardTextTab(table).has_value());
    QCOMPARE(ColumnWidths(table), QList<qsizetype> {0});
}

void tst_ClipboardTexts::severalColumns()
{
    ExportTable table({u"a"_s, u"bbb"_s, u"cc"_s}, {true, false, true});
    table.addColumn({u"long sub"_s, u"x"_s}); // shorter than the list: an empty last cell
    QCOMPARE(table.columnCount(), 2);
    QCOMPARE(ColumnWidths(table), (QList<qsizetype> {3, 8}));
    const QString secondLine = u"cc"_s + QString(1 + 5, u' ') + QString(8 + 5, u' ');
    QCOMPARE(*ClipboardTextSpace(table), u"a       long sub     \r\n"_s + secondLine + u"\r\n"_s);
    QCOMPARE(*ClipboardTextTab(table), u"a  \tlong sub\t\r\ncc \t        \t\r\n"_s);
    QCOMPARE(*ClipboardTextEnter(table), u"a\r\ncc\r\n"_s); // first column only
}

void tst_ClipboardTexts::selLength()
{
    QCOMPARE(SelLengthReportLine(u"abc\r\n"_s), u"SelLength: 5"_s);
    QCOMPARE(SelLengthReportLine(QString()), u"SelLength: 0"_s);
}

QTEST_APPLESS_MAIN(tst_ClipboardTexts)
#include "tst_ClipboardTexts.moc"
