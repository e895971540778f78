#include "RowTexts.h"
#include "TextRules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class tst_RowTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bodyLinesPointIntoTheirBody_data();
    void bodyLinesPointIntoTheirBody();
    void partsOfOtherTextsAreCopied();
    void textsLongerThanABlock();
    void aClearedListIsFilledAgain();
};

void tst_RowTexts::bodyLinesPointIntoTheirBody_data()
{
    QTest::addColumn<QString>("body");
    QTest::newRow("plain") << u"Dear Ann,\r\n\r\nthe invoice is attached.\r\n-- \r\nBob"_s;
    QTest::newRow("accents and emoji")
        << u"Gr\u00fc\u00dfe aus Z\u00fcrich\r\n\U0001F600 smile\r\n\r\n\u4e2d\u6587\r\nend"_s;
    QTest::newRow("ends with a line break") << u"one\r\ntwo\r\n"_s;
}

void tst_RowTexts::bodyLinesPointIntoTheirBody()
{
    QFETCH(QString, body);
    RowTexts rows;
    rows.append(u"Subject line"_s);
    rows.append(body);
    const qsizetype heldBefore = rows.textBytes();
    const QList<QStringView> lines = BodyLineViews(body);
    for (const QStringView line : lines)
        rows.appendPart(line);
    QCOMPARE(rows.textBytes(), heldBefore); // no line took a copy
    QCOMPARE(rows.size(), 2 + lines.size());
    QCOMPARE(rows.text(0), u"Subject line"_s);
    QCOMPARE(rows.text(1), body);
    for (qsizetype line = 0; line < lines.size(); ++line)
        QCOMPARE(rows.text(2 + line), lines.at(line).toString());
    QByteArray buffer;
    QCOMPARE(rows.bytes(2), RowTexts::encode(lines.first(), buffer));
}

void tst_RowTexts::partsOfOtherTextsAreCopied()
{
    RowTexts rows;
    const QString earlier = u"earlier body\r\nline"_s;
    const QString loneSurrogate = u"bad "_s + QChar(0xd800) + u"\r\nafter"_s;
    rows.append(earlier);
    rows.append(u"latest body"_s);
    rows.appendPart(QStringView(earlier).first(7)); // not the text appended last
    rows.append(loneSurrogate);
    rows.appendPart(QStringView(loneSurrogate).sliced(7)); // positions would not map
    rows.appendPart(QStringView(loneSurrogate).sliced(7)); // again, after a later part
    QCOMPARE(rows.text(2), u"earlier"_s);
    QCOMPARE(rows.text(4), u"after"_s);
    QCOMPARE(rows.text(5), u"after"_s);
    rows.clear();
    QCOMPARE(rows.size(), 0);
    QCOMPARE(rows.textBytes(), 0);
}

void tst_RowTexts::textsLongerThanABlock()
{
    // A body bigger than the blocks small texts share, between small rows on either side.
    RowTexts rows;
    QString body;
    for (int line = 0; line < 40'000; ++line)
        body += u"line %1 \u00e9\r\n"_s.arg(line);
    rows.append(u"before"_s);
    rows.append(body);
    for (const QStringView line : BodyLineViews(body))
        rows.appendPart(line);
    rows.append(u"after"_s);
    QCOMPARE(rows.text(0), u"before"_s);
    QCOMPARE(rows.text(1), body);
    QCOMPARE(rows.text(2 + 39'999), u"line 39999 \u00e9"_s);
    QCOMPARE(rows.text(rows.size() - 1), u"after"_s);
}

void tst_RowTexts::aClearedListIsFilledAgain()
{
    // More rows than one chunk of row positions and more text than one block, twice over: the
    // second filling reuses the first one's memory and must read back only its own texts.
    RowTexts rows;
    const auto fill = [&rows](const QString &pattern) {
        qsizetype bytes = 0;
        for (int row = 0; row < 150'000; ++row) {
            const QString text = pattern.arg(row);
            rows.append(text);
            bytes += text.toUtf8().size();
        }
        return bytes;
    };
    fill(u"first filling, row %1, \u00e9"_s);
    rows.clear();
    const qsizetype bytes = fill(u"row %1"_s);
    QCOMPARE(rows.size(), 150'000);
    QCOMPARE(rows.text(0), u"row 0"_s);
    QCOMPARE(rows.text(70'000), u"row 70000"_s);
    QCOMPARE(rows.text(149'999), u"row 149999"_s);
    QCOMPARE(rows.textBytes(), bytes);
}

QTEST_GUILESS_MAIN(tst_RowTexts)
#include "tst_RowTexts.moc"
