#include "ControlText.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class tst_ControlText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapes_data();
    void escapes();
};

void tst_ControlText::escapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<LineBreaks>("lineBreaks");
    QTest::addColumn<QString>("shown");

    QTest::newRow("terminal title and colour")
        << u"\x1b]0;owned\x07 \x1b[31mred"_s << LineBreaks::Escaped
        << u"\\x1B]0;owned\\x07 \\x1B[31mred"_s;
    QTest::newRow("C1 control, DEL and a bidirectional override")
        << u"a\x9B"
           u"b\x7F"
           u"c\u202E"
           u"d"_s
        << LineBreaks::Escaped << u"a\\x9Bb\\x7Fc\\u202Ed"_s;
    QTest::newRow("printable Unicode and backslashes kept")
        << u"Événements – 東京 \\x1B"_s << LineBreaks::Escaped << u"Événements – 東京 \\x1B"_s;
    QTest::newRow("line breaks escaped") << u"a\r\nb"_s << LineBreaks::Escaped << u"a\\x0D\\x0Ab"_s;
    QTest::newRow("line breaks kept for a box")
        << u"a\r\n\tb\x1b"_s << LineBreaks::Kept << u"a\r\n\tb\\x1B"_s;
}

void tst_ControlText::escapes()
{
    QFETCH(QString, text);
    QFETCH(LineBreaks, lineBreaks);
    QFETCH(QString, shown);
    QCOMPARE(EscapeControlCharacters(text, lineBreaks), shown);
    QCOMPARE(EscapeControlCharacters(shown, lineBreaks), shown);
}

QTEST_GUILESS_MAIN(tst_ControlText)
#include "tst_ControlText.moc"
