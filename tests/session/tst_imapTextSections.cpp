#include "ImapResponse.h"
#include "TextSections.h"

#include <QTest>

namespace {

const QByteArray plain =
    R"(("text" "plain" ("charset" "utf-8") NIL NIL "7bit" 120 3 NIL NIL NIL NIL))";
const QByteArray html = R"(("TEXT" "HTML" ("CHARSET" "utf-8") NIL NIL "quoted-printable" 480 9))";
const QByteArray pdf =
    R"(("application" "pdf" ("name" "r.pdf") NIL NIL "base64" 90000 NIL ("attachment" ("filename" "r.pdf")) NIL NIL))";

QByteArray multipart(const QByteArray &children, const char *subtype)
{
    return '(' + children + " \"" + subtype + "\" (\"boundary\" \"b\") NIL NIL NIL)";
}

QByteArray textPart(const char *subtype, const QByteArray &parameters,
                    const QByteArray &disposition)
{
    return "(\"text\" \"" + QByteArray(subtype) + "\" " + parameters
        + " NIL NIL \"base64\" 64 2 NIL " + disposition + " NIL NIL)";
}

} // namespace

// Which sections of a message hold its text, read off the server's body structure: the same
// parts the MIME reader picks from the whole message.
class tst_imapTextSections : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void locatesText_data();
    void locatesText();
};

void tst_imapTextSections::locatesText_data()
{
    QTest::addColumn<QByteArray>("structure");
    QTest::addColumn<bool>("located"); // false: unreadable, or left to the whole message
    QTest::addColumn<bool>("singlePart");
    QTest::addColumn<QByteArray>("plainSection");
    QTest::addColumn<QByteArray>("htmlSection");

    QTest::newRow("one text part") << plain << true << true << QByteArray("1") << QByteArray();
    QTest::newRow("one picture") << QByteArray(
        R"(("image" "png" NIL NIL NIL "base64" 4000 NIL NIL NIL NIL))")
                                 << true << true << QByteArray() << QByteArray();
    QTest::newRow("one text part sent as attachment")
        << textPart("plain", "NIL", R"(("attachment" NIL))") << true << true << QByteArray()
        << QByteArray();
    QTest::newRow("alternatives") << multipart(plain + html, "alternative") << true << false
                                  << QByteArray("1") << QByteArray("2");
    QTest::newRow("alternatives inside mixed, with an attachment")
        << multipart(multipart(plain + html, "alternative") + pdf, "mixed") << true << false
        << QByteArray("1.1") << QByteArray("1.2");
    QTest::newRow("named text without disposition is an attachment")
        << multipart(textPart("plain", R"(("name" "notes.txt"))", "NIL") + plain, "mixed") << true
        << false << QByteArray("2") << QByteArray();
    QTest::newRow("continued file name is an attachment")
        << multipart(textPart("plain", "NIL", R"(("x-unknown" ("filename*0" "no")))") + html,
                     "mixed")
        << true << false << QByteArray() << QByteArray("2");
    QTest::newRow("named inline text is text")
        << multipart(textPart("plain", "NIL", R"(("INLINE" ("FILENAME" "a.txt")))") + pdf, "mixed")
        << true << false << QByteArray("1") << QByteArray();
    QTest::newRow("attached message is not searched")
        << multipart(R"(("message" "rfc822" NIL NIL NIL "7bit" 900 NIL )"
                         + multipart(plain, "mixed") + " 20 NIL NIL NIL NIL)" + html,
                     "mixed")
        << true << false << QByteArray() << QByteArray("2");
    QTest::newRow("first of each kind wins") << multipart(html + plain + plain + html, "mixed")
                                             << true << false << QByteArray("2") << QByteArray("1");
    QTest::newRow("named text when there is no other")
        << multipart(textPart("plain", R"(("name" "msg.txt"))", "NIL") + pdf, "mixed") << true
        << false << QByteArray("1") << QByteArray();
    // What the server reports for "Content-Type: text; charset=us-ascii" or "text/".
    const QByteArray unreadableType = R"(("" "" NIL NIL NIL "7bit" 10 NIL NIL NIL NIL))";
    QTest::newRow("unreadable Content-Type is plain text")
        << unreadableType << true << true << QByteArray("1") << QByteArray();
    QTest::newRow("unreadable Content-Type inside a multipart")
        << multipart(pdf + unreadableType, "mixed") << true << false << QByteArray("2")
        << QByteArray();

    // Only the whole message can tell: readable structures that locate() leaves to it.
    QTest::newRow("text only inside attached messages (digest)") << multipart(
        R"(("message" "rfc822" NIL NIL NIL "7bit" 48 NIL )" + plain + " 3 NIL NIL NIL NIL)",
        "digest") << false << false << QByteArray() << QByteArray();
    // The server cannot split by an RFC 2231 boundary: one empty text part.
    QTest::newRow("RFC 2231 boundary") << QByteArray(
        R"((("text" "plain" ("charset" "us-ascii") NIL NIL "7bit" 0 0 NIL NIL NIL NIL))"
        R"( "mixed" ("boundary*" "us-ascii''abc") NIL NIL NIL))")
                                       << false << false << QByteArray() << QByteArray();
    QTest::newRow("RFC 2231 boundary, parts found")
        << QByteArray("(" + plain + R"( "mixed" ("BOUNDARY*0" "ab") NIL NIL NIL))") << false
        << false << QByteArray() << QByteArray();
    // A header block without its empty line: the server counts the body as header.
    QTest::newRow("empty text part") << QByteArray(
        R"(("text" "plain" ("charset" "us-ascii") NIL NIL "7bit" 0 0 NIL NIL NIL NIL))")
                                     << false << false << QByteArray() << QByteArray();

    QTest::newRow("not a list") << QByteArray("NIL") << false << false << QByteArray()
                                << QByteArray();
    QTest::newRow("empty list") << QByteArray("()") << false << false << QByteArray()
                                << QByteArray();
    QTest::newRow("size is not a number")
        << QByteArray(R"(("text" "plain" NIL NIL NIL "7bit" big 1))") << false << false
        << QByteArray() << QByteArray();
    QTest::newRow("part cut short") << multipart(R"(("text" "plain" NIL NIL))", "mixed") << false
                                    << false << QByteArray() << QByteArray();
    QTest::newRow("multipart without children")
        << QByteArray(R"(("nothing" "here"))") << false << false << QByteArray() << QByteArray();
}

void tst_imapTextSections::locatesText()
{
    QFETCH(QByteArray, structure);
    QFETCH(bool, located);
    const ImapResponse response =
        ImapResponse::parse("* 1 FETCH (BODYSTRUCTURE " + structure + ')');
    const std::optional<ImapValue> value = response.fetchItem("BODYSTRUCTURE");
    QVERIFY(value);
    const std::optional<TextSections> sections = TextSections::locate(*value);
    QCOMPARE(sections.has_value(), located);
    if (!sections)
        return;
    QTEST(sections->singlePart, "singlePart");
    QTEST(sections->plain, "plainSection");
    QTEST(sections->html, "htmlSection");
}

QTEST_GUILESS_MAIN(tst_imapTextSections)
#include "tst_imapTextSections.moc"
