#include "ImapParseError.h"
#include "ImapTokenizer.h"

#include <QTest>

using namespace ImapTokenizer;

// Each token function is checked for the value it reads and for how far it moves.
class tst_imapTokenizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsValues_data();
    void readsValues();
    void refusesBadInput_data();
    void refusesBadInput();
    void astringAndNString();
    void numbers();
    void nestingIsBounded();
};

void tst_imapTokenizer::readsValues_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("dump");
    QTest::addColumn<qsizetype>("consumed");

    QTest::newRow("atom stops at space")
        << QByteArray("FLAGS (x)") << QByteArray("FLAGS") << qsizetype(5);
    QTest::newRow("atom stops at paren") << QByteArray("abc)") << QByteArray("abc") << qsizetype(3);
    QTest::newRow("flag atom") << QByteArray("\\Seen rest") << QByteArray("\\Seen") << qsizetype(5);
    QTest::newRow("section keeps spaces")
        << QByteArray("BODY[HEADER.FIELDS (FROM TO)] {3}")
        << QByteArray("BODY[HEADER.FIELDS (FROM TO)]") << qsizetype(29);
    QTest::newRow("section with partial")
        << QByteArray("BODY[]<0> x") << QByteArray("BODY[]<0>") << qsizetype(9);
    QTest::newRow("bracketed mailbox atom")
        << QByteArray("[Gmail]/Drafts") << QByteArray("[Gmail]/Drafts") << qsizetype(14);
    QTest::newRow("unclosed bracket is a plain char")
        << QByteArray("a[b c") << QByteArray("a[b") << qsizetype(3);
    QTest::newRow("NIL any case") << QByteArray("nil ") << QByteArray("NIL") << qsizetype(3);
    QTest::newRow("quoted") << QByteArray("\"a b\" c") << QByteArray("\"a b\"") << qsizetype(5);
    QTest::newRow("quoted empty") << QByteArray("\"\"") << QByteArray("\"\"") << qsizetype(2);
    QTest::newRow("quoted escapes") << QByteArray(R"("say \"hi\" \\o/" x)")
                                    << QByteArray(R"("say \"hi\" \\o/")") << qsizetype(17);
    QTest::newRow("quoted 8-bit kept") << QByteArray("\"\xc3\xa9t\xc3\xa9\"")
                                       << QByteArray("\"\xc3\xa9t\xc3\xa9\"") << qsizetype(7);
    QTest::newRow("literal") << QByteArray("{5}\r\nab\r\nc rest") << QByteArray("\"ab\r\nc\"")
                             << qsizetype(10);
    QTest::newRow("literal with parens and quotes")
        << QByteArray("{6}\r\n(\"x\\\")") << QByteArray(R"x("(\"x\\\")")x") << qsizetype(11);
    QTest::newRow("empty literal") << QByteArray("{0}\r\n)") << QByteArray("\"\"") << qsizetype(5);
    QTest::newRow("empty list") << QByteArray("() x") << QByteArray("()") << qsizetype(2);
    QTest::newRow("nested lists") << QByteArray("(a (b \"c\" (NIL {1}\r\nd)) e) tail")
                                  << QByteArray("(a (b \"c\" (NIL \"d\")) e)") << qsizetype(26);
    QTest::newRow("list tolerates extra spaces")
        << QByteArray("( a  b )") << QByteArray("(a b)") << qsizetype(8);
    QTest::newRow("fetch items") << QByteArray("(UID 7 FLAGS (\\Seen) BODY[] {2}\r\nhi)")
                                 << QByteArray("(UID 7 FLAGS (\\Seen) BODY[] \"hi\")")
                                 << qsizetype(36);
}

void tst_imapTokenizer::readsValues()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, dump);
    QFETCH(qsizetype, consumed);
    qsizetype pos = 0;
    QCOMPARE(readValue(input, pos).dump(), dump);
    QCOMPARE(pos, consumed);
}

void tst_imapTokenizer::refusesBadInput_data()
{
    QTest::addColumn<QByteArray>("input");

    QTest::newRow("nothing") << QByteArray("");
    QTest::newRow("lone close paren") << QByteArray(")");
    QTest::newRow("unterminated quoted") << QByteArray("\"abc");
    QTest::newRow("bad escape") << QByteArray("\"a\\nb\"");
    QTest::newRow("escape at end") << QByteArray("\"a\\");
    QTest::newRow("line break in quoted") << QByteArray("\"a\r\nb\"");
    QTest::newRow("unterminated list") << QByteArray("(a (b)");
    QTest::newRow("literal without size") << QByteArray("{}\r\n");
    QTest::newRow("literal size not a number") << QByteArray("{1x}\r\nab");
    QTest::newRow("literal without CR LF") << QByteArray("{2}ab");
    QTest::newRow("literal past the end") << QByteArray("{10}\r\nabc");
    QTest::newRow("literal size overflows") << QByteArray("{99999999999999999999999}\r\n");
    QTest::newRow("literal above the limit") << QByteArray("{999999999}\r\n");
}

void tst_imapTokenizer::refusesBadInput()
{
    QFETCH(QByteArray, input);
    qsizetype pos = 0;
    QVERIFY_THROWS_EXCEPTION(ImapParseError, readValue(input, pos));
}

void tst_imapTokenizer::astringAndNString()
{
    qsizetype pos = 0;
    const QByteArray list = "INBOX \"[Gmail]/All Mail\" {4}\r\nWork NIL \"x\"";
    QCOMPARE(readAstring(list, pos), QByteArray("INBOX"));
    skipSpaces(list, pos);
    QCOMPARE(readAstring(list, pos), QByteArray("[Gmail]/All Mail"));
    skipSpaces(list, pos);
    QCOMPARE(readAstring(list, pos), QByteArray("Work"));
    skipSpaces(list, pos);
    QCOMPARE(readNString(list, pos), std::nullopt);
    skipSpaces(list, pos);
    QCOMPARE(readNString(list, pos), std::optional<QByteArray>("x"));
    QVERIFY(atEnd(list, pos));

    pos = 0;
    QVERIFY_THROWS_EXCEPTION(ImapParseError, readNString("word", pos));
    pos = 0;
    QVERIFY_THROWS_EXCEPTION(ImapParseError, skipSpaces("x", pos));
}

void tst_imapTokenizer::numbers()
{
    qsizetype pos = 0;
    QCOMPARE(readNumber("4294967295 EXISTS", pos), qint64(4294967295));
    QCOMPARE(pos, qsizetype(10));
    pos = 0;
    QVERIFY_THROWS_EXCEPTION(ImapParseError, readNumber("x1", pos));
    pos = 0;
    QVERIFY_THROWS_EXCEPTION(ImapLimitError, readNumber("123456789012345678901234", pos));
    QCOMPARE(ImapValue::atom("0042").toNumber(), std::optional<qint64>(42));
    QCOMPARE(ImapValue::atom("4x").toNumber(), std::nullopt);
    QCOMPARE(ImapValue::string("42").toNumber(), std::nullopt);
}

void tst_imapTokenizer::nestingIsBounded()
{
    const int allowed = 64;
    QByteArray deep = QByteArray(allowed, '(') + QByteArray(allowed, ')');
    qsizetype pos = 0;
    QCOMPARE(readValue(deep, pos).type(), ImapValue::Type::List);
    QCOMPARE(pos, deep.size());

    // Far deeper than allowed: refused, not a stack overflow.
    const QByteArray hostile = QByteArray(100000, '(');
    pos = 0;
    QVERIFY_THROWS_EXCEPTION(ImapLimitError, readValue(hostile, pos));
}

QTEST_APPLESS_MAIN(tst_imapTokenizer)
#include "tst_imapTokenizer.moc"
