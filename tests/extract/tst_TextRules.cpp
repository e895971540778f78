#include "TextRules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class tst_TextRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bodyLines_data();
    void bodyLines();
    void containsText_data();
    void containsText();
    void loweringKeepsPositions();
};

void tst_TextRules::bodyLines_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty body has no lines") << QString() << QStringList();
    QTest::newRow("no line break is one line") << u"one"_s << QStringList {u"one"_s};
    QTest::newRow("CR LF splits") << u"one\r\ntwo"_s << QStringList {u"one"_s, u"two"_s};
    QTest::newRow("bare LF does not split") << u"one\ntwo"_s << QStringList {u"one\ntwo"_s};
    QTest::newRow("bare CR does not split") << u"one\rtwo"_s << QStringList {u"one\rtwo"_s};
    QTest::newRow("trailing CR LF gives an empty last line")
        << u"one\r\n"_s << QStringList {u"one"_s, QString()};
    QTest::newRow("two pairs give an empty line between")
        << u"a\r\n\r\nb"_s << QStringList {u"a"_s, QString(), u"b"_s};
    QTest::newRow("LF CR is no pair") << u"a\n\rb"_s << QStringList {u"a\n\rb"_s};
    QTest::newRow("only a pair") << u"\r\n"_s << QStringList {QString(), QString()};
    QTest::newRow("CR before a pair stays in its line")
        << u"a\r\r\nb\r"_s << QStringList {u"a\r"_s, u"b\r"_s};
}

void tst_TextRules::bodyLines()
{
    QFETCH(QString, body);
    QFETCH(QStringList, lines);
    QCOMPARE(BodyLines(body), lines);
    QStringList viewed;
    for (const QStringView line : BodyLineViews(body))
        viewed.append(line.toString());
    QCOMPARE(viewed, lines);
}

void tst_TextRules::containsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("contains");

    QTest::newRow("plain") << u"Hello world"_s << u"world"_s << true;
    QTest::newRow("search in capitals") << u"Hello world"_s << u"WORLD"_s << true;
    QTest::newRow("text in capitals") << u"HELLO WORLD"_s << u"world"_s << true;
    QTest::newRow("absent") << u"Hello world"_s << u"moon"_s << false;
    QTest::newRow("empty search in a text") << u"x"_s << QString() << true;
    QTest::newRow("empty search in an empty text") << QString() << QString() << false;
    QTest::newRow("empty text contains nothing") << QString() << u"a"_s << false;
    QTest::newRow("non-ASCII letters") << u"GRÜSSE aus Köln"_s << u"grüsse AUS KÖLN"_s << true;
}

void tst_TextRules::containsText()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(bool, contains);
    QCOMPARE(ContainsText(text, search), contains);
}

void tst_TextRules::loweringKeepsPositions()
{
    // A dotted capital I lowers to two units with full case mapping; positions would shift.
    const QString text = u"\u0130stanbul ABC \U0001D400 \U00010400x"_s;
    const QString lowered = LowerCaseSameLength(text);
    QCOMPARE(lowered.size(), text.size());
    QCOMPARE(lowered.indexOf(u"abc"_s), text.indexOf(u"ABC"_s));
    // A letter outside the basic plane lowers to its pair, not to half of one.
    QVERIFY(lowered.contains(u"\U00010428x"_s));
}

QTEST_APPLESS_MAIN(tst_TextRules)
#include "tst_TextRules.moc"
