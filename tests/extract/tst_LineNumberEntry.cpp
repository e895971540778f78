#include "LineNumberEntry.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class tst_LineNumberEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numericText_data();
    void numericText();
    void entryCheck_data();
    void entryCheck();
    void parse_data();
    void parse();
};

void tst_LineNumberEntry::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");

    QTest::newRow("whole") << u"12"_s << true;
    QTest::newRow("signed") << u"-3"_s << true;
    QTest::newRow("plus sign") << u"+3"_s << true;
    QTest::newRow("decimal") << u"2.5"_s << true;
    QTest::newRow("leading point") << u".5"_s << true;
    QTest::newRow("trailing point") << u"5."_s << true;
    QTest::newRow("exponent") << u"1e3"_s << true;
    QTest::newRow("signed exponent") << u"25E-1"_s << true;
    QTest::newRow("blanks around") << u"  7 "_s << true;
    QTest::newRow("tab around") << u"\t7\t"_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank only") << u"  "_s << false;
    QTest::newRow("word") << u"three"_s << false;
    QTest::newRow("point only") << u"."_s << false;
    QTest::newRow("sign only") << u"-"_s << false;
    QTest::newRow("blank inside") << u"1 2"_s << false;
    QTest::newRow("bare exponent") << u"e3"_s << false;
    QTest::newRow("infinity word") << u"inf"_s << false;
    QTest::newRow("not a number word") << u"nan"_s << false;
    QTest::newRow("trailing letters") << u"3x"_s << false;
}

void tst_LineNumberEntry::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(IsNumericText(text), numeric);
}

void tst_LineNumberEntry::entryCheck_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("valid");

    QTest::newRow("one number") << u"3"_s << true;
    QTest::newRow("several") << u"3,1,2"_s << true;
    QTest::newRow("blanks around pieces") << u" 3 , 1 "_s << true;
    QTest::newRow("decimals and exponent") << u"2.5,1e1"_s << true;
    QTest::newRow("out of range is still numeric") << u"40000"_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("two commas with nothing between") << u"1,,2"_s << false;
    QTest::newRow("trailing comma") << u"1,"_s << false;
    QTest::newRow("leading comma") << u",1"_s << false;
    QTest::newRow("a word") << u"abc"_s << false;
    QTest::newRow("one piece a word") << u"1,two,3"_s << false;
    QTest::newRow("semicolons are no separator") << u"1;2"_s << false;
}

void tst_LineNumberEntry::entryCheck()
{
    QFETCH(QString, entry);
    QFETCH(bool, valid);
    QCOMPARE(IsValidLineNumberEntry(entry), valid);
}

void tst_LineNumberEntry::parse_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QList<double>>("numbers");
    QTest::addColumn<bool>("fails");

    using L = QList<double>;
    QTest::newRow("order kept") << u"3,1"_s << L {3, 1} << false;
    QTest::newRow("half rounds to even below") << u"2.5"_s << L {2} << false;
    QTest::newRow("half rounds to even above") << u"3.5"_s << L {4} << false;
    QTest::newRow("not a half rounds to nearest") << u"2.51,2.49"_s << L {3, 2} << false;
    QTest::newRow("negative half") << u"-2.5,-0.5"_s << L {-2, 0} << false;
    QTest::newRow("exponent") << u"1e1"_s << L {10} << false;
    QTest::newRow("largest") << u"32767,-32768"_s << L {32767, -32768} << false;
    QTest::newRow("lowest half rounds into range") << u"-32768.5"_s << L {-32768} << false;
    QTest::newRow("out of range keeps its value") << u"40000"_s << L {40000} << true;
    QTest::newRow("rounding out of range") << u"32767.5"_s << L {32767.5} << true;
    QTest::newRow("below range") << u"1,-40000.5"_s << L {1, -40000.5} << true;
    QTest::newRow("no longer a number") << u"1,x"_s << L {1} << true;
    QTest::newRow("empty entry") << QString() << L {} << false;
}

void tst_LineNumberEntry::parse()
{
    QFETCH(QString, entry);
    QFETCH(QList<double>, numbers);
    QFETCH(bool, fails);
    const LineNumberList list = ParseLineNumbers(entry);
    QCOMPARE(list.numbers, numbers);
    QCOMPARE(!list.failure.isEmpty(), fails);
}

QTEST_APPLESS_MAIN(tst_LineNumberEntry)
#include "tst_LineNumberEntry.moc"
