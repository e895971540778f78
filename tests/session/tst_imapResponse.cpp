#include "ImapLimits.h"
#include "ImapParseError.h"
#include "ImapResponse.h"
#include "ImapResponseFramer.h"

#include <QTest>

using Kind = ImapResponse::Kind;

// Replies as the parser reads them, and the framing that cuts them out of the byte stream.
class tst_imapResponse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesReplies_data();
    void parsesReplies();
    void refusesGarbage_data();
    void refusesGarbage();
    void fetchItems();
    void framesEverySplit();
    void framesSeveralRepliesInOneRead();
    void reportsLiteralProgress();
    void refusesOversizedInput_data();
    void refusesOversizedInput();
};

void tst_imapResponse::parsesReplies_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("number"); // -1: none
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("values");

    auto row = [](const char *name, const QByteArray &raw, Kind kind, const QByteArray &tag,
                  const QByteArray &responseName, qint64 number, const QByteArray &code,
                  const QByteArray &text, const QByteArray &values) {
        QTest::newRow(name) << raw << int(kind) << tag << responseName << number << code << text
                            << values;
    };
    row("greeting", "* OK [CAPABILITY IMAP4rev1 ID] Dovecot ready.", Kind::Untagged, "", "OK", -1,
        "CAPABILITY IMAP4rev1 ID", "Dovecot ready.", "");
    row("tagged ok with code", "a3 OK [READ-ONLY] Examine completed (0.001 + 0.000 secs).",
        Kind::Tagged, "a3", "OK", -1, "READ-ONLY", "Examine completed (0.001 + 0.000 secs).", "");
    row("tagged no, lower case", "a2 no [AUTHENTICATIONFAILED] Authentication failed.",
        Kind::Tagged, "a2", "NO", -1, "AUTHENTICATIONFAILED", "Authentication failed.", "");
    row("tagged bad without text", "a9 BAD", Kind::Tagged, "a9", "BAD", -1, "", "", "");
    row("free text is never tokenized", "a4 NO [CANNOT] Invalid name: \"x ( {5}", Kind::Tagged,
        "a4", "NO", -1, "CANNOT", "Invalid name: \"x ( {5}", "");
    row("bye", "* BYE System shutting down", Kind::Untagged, "", "BYE", -1, "",
        "System shutting down", "");
    row("continuation", "+ Ready for literal data", Kind::Continuation, "", "", -1, "",
        "Ready for literal data", "");
    row("bare continuation", "+", Kind::Continuation, "", "", -1, "", "", "");
    row("exists", "* 172 EXISTS", Kind::Untagged, "", "EXISTS", 172, "", "", "");
    row("expunge", "* 3 expunge", Kind::Untagged, "", "EXPUNGE", 3, "", "", "");
    row("fetch with literal", "* 12 FETCH (UID 40 BODY[] {11}\r\nSubject: x\n)", Kind::Untagged, "",
        "FETCH", 12, "", "", "(UID 40 BODY[] \"Subject: x\n\")");
    row("fetch NIL body", "* 1 FETCH (BODY[] NIL)", Kind::Untagged, "", "FETCH", 1, "", "",
        "(BODY[] NIL)");
    row("list quoted name", "* LIST (\\HasNoChildren \\All) \"/\" \"[Gmail]/All Mail\"",
        Kind::Untagged, "", "LIST", -1, "", "",
        "(\\HasNoChildren \\All) \"/\" \"[Gmail]/All Mail\"");
    row("list atom name with brackets", "* LIST (\\HasNoChildren \\Drafts) \"/\" [Gmail]/Drafts",
        Kind::Untagged, "", "LIST", -1, "", "",
        "(\\HasNoChildren \\Drafts) \"/\" \"[Gmail]/Drafts\"");
    row("list literal name and NIL delimiter", "* LIST () NIL {7}\r\nSay \"hi", Kind::Untagged, "",
        "LIST", -1, "", "", "() NIL \"Say \\\"hi\"");
    row("list with extended data",
        "* LIST (\\Noselect) \"/\" \"[Gmail]\" (\"CHILDINFO\" (\"SUBSCRIBED\"))", Kind::Untagged,
        "", "LIST", -1, "", "", "(\\Noselect) \"/\" \"[Gmail]\"");
    row("list escaped name", "* LIST () \"/\" \"a\\\\b \\\"c\\\"\"", Kind::Untagged, "", "LIST", -1,
        "", "", "() \"/\" \"a\\\\b \\\"c\\\"\"");
    row("unknown data kept raw", "* ID (\"name\" \"Dovecot\" \"x\" {2}\r\nab)", Kind::Untagged, "",
        "ID", -1, "", "", "");
    row("capability", "* CAPABILITY IMAP4rev1 AUTH=PLAIN", Kind::Untagged, "", "CAPABILITY", -1, "",
        "", "");
}

void tst_imapResponse::parsesReplies()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, kind);
    QFETCH(QByteArray, tag);
    QFETCH(QByteArray, name);
    QFETCH(qint64, number);
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, values);

    const ImapResponse response = ImapResponse::parse(raw);
    QCOMPARE(int(response.kind), kind);
    QCOMPARE(response.tag, tag);
    QCOMPARE(response.name, name);
    QCOMPARE(response.number.value_or(-1), number);
    QCOMPARE(response.code, code);
    QCOMPARE(response.text, text);
    QByteArrayList dumped;
    for (const ImapValue &value : response.values)
        dumped.append(value.dump());
    QCOMPARE(dumped.join(' '), values);
    QCOMPARE(response.raw, raw);
}

void tst_imapResponse::refusesGarbage_data()
{
    QTest::addColumn<QByteArray>("raw");

    QTest::newRow("empty line") << QByteArray("");
    QTest::newRow("words without status") << QByteArray("hello world");
    QTest::newRow("tag alone") << QByteArray("a1");
    QTest::newRow("star alone") << QByteArray("*");
    QTest::newRow("control bytes") << QByteArray("\x01\x02\x03");
    QTest::newRow("unterminated code") << QByteArray("a1 OK [READ-ONLY done");
    QTest::newRow("fetch without list") << QByteArray("* 1 FETCH BODY[]");
    QTest::newRow("fetch unterminated") << QByteArray("* 1 FETCH (BODY[] {3}\r\nabc");
    QTest::newRow("fetch bad literal") << QByteArray("* 1 FETCH (BODY[] {abc}\r\nabc)");
    QTest::newRow("list truncated") << QByteArray("* LIST (\\HasNoChildren) \"/\"");
}

void tst_imapResponse::refusesGarbage()
{
    QFETCH(QByteArray, raw);
    QVERIFY_THROWS_EXCEPTION(ImapParseError, ImapResponse::parse(raw));
}

void tst_imapResponse::fetchItems()
{
    const ImapResponse response =
        ImapResponse::parse("* 5 FETCH (FLAGS (\\Seen) uid 9 BODY[] {3}\r\nabc)");
    QCOMPARE(response.fetchItem("UID")->toNumber(), std::optional<qint64>(9));
    QCOMPARE(response.fetchItem("body[]")->bytes(), QByteArray("abc"));
    QCOMPARE(response.fetchItem("FLAGS")->items().size(), 1);
    QVERIFY(!response.fetchItem("RFC822.SIZE"));
    QVERIFY(!ImapResponse::parse("* 5 EXISTS").fetchItem("UID"));
}

namespace {

QByteArrayList frameInPieces(const QByteArray &stream, const QList<qsizetype> &cuts)
{
    ImapResponseFramer framer;
    QByteArrayList replies;
    qsizetype from = 0;
    for (qsizetype cut : cuts + QList<qsizetype> {stream.size()}) {
        framer.append(stream.mid(from, cut - from));
        from = cut;
        while (const std::optional<QByteArray> reply = framer.takeResponse())
            replies.append(*reply);
    }
    return replies;
}

} // namespace

void tst_imapResponse::framesEverySplit()
{
    // Literals whose bytes look like line ends and literal announcements must not confuse it.
    const QByteArray body = "Subject: {5}\r\n\r\nline\r\n* 2 EXISTS\r\n";
    const QByteArray stream = "* 1 FETCH (UID 4 BODY[] {" + QByteArray::number(body.size())
        + "}\r\n" + body + " X {2}\r\n\r\n)\r\n" + "a5 OK done\r\n";
    const QByteArrayList expected = {
        "* 1 FETCH (UID 4 BODY[] {" + QByteArray::number(body.size()) + "}\r\n" + body
            + " X {2}\r\n\r\n)",
        "a5 OK done",
    };
    for (qsizetype cut = 0; cut <= stream.size(); ++cut)
        QCOMPARE(frameInPieces(stream, {cut}), expected);
    QList<qsizetype> everyByte;
    for (qsizetype i = 1; i < stream.size(); ++i)
        everyByte.append(i);
    QCOMPARE(frameInPieces(stream, everyByte), expected);
    QCOMPARE(ImapResponse::parse(expected.first()).fetchItem("BODY[]")->bytes(), body);
}

void tst_imapResponse::framesSeveralRepliesInOneRead()
{
    ImapResponseFramer framer;
    framer.append("* 3 EXISTS\r\n* 0 RECENT\r\na1 OK done\r\n* partial");
    QCOMPARE(framer.takeResponse(), std::optional<QByteArray>("* 3 EXISTS"));
    QCOMPARE(framer.takeResponse(), std::optional<QByteArray>("* 0 RECENT"));
    QCOMPARE(framer.takeResponse(), std::optional<QByteArray>("a1 OK done"));
    QCOMPARE(framer.takeResponse(), std::nullopt);
    QCOMPARE(framer.pendingBytes(), qsizetype(9));
    framer.append("\r\n");
    QCOMPARE(framer.takeResponse(), std::optional<QByteArray>("* partial"));
    QCOMPARE(framer.pendingBytes(), qsizetype(0));
}

void tst_imapResponse::reportsLiteralProgress()
{
    ImapResponseFramer framer;
    framer.append("* 1 FETCH (BODY[] {10}\r\nabc");
    QCOMPARE(framer.takeResponse(), std::nullopt);
    QCOMPARE(framer.literalSize(), qint64(10));
    QCOMPARE(framer.literalReceived(), qint64(3));
    framer.append("defghij)\r\n");
    QVERIFY(framer.takeResponse());
    QCOMPARE(framer.literalSize(), qint64(0));
    QCOMPARE(framer.literalReceived(), qint64(0));
}

void tst_imapResponse::refusesOversizedInput_data()
{
    QTest::addColumn<QByteArray>("stream");

    QTest::newRow("literal above 64 MB") << QByteArray(
        "* 1 FETCH (BODY[] {" + QByteArray::number(ImapLimits::maxLiteralBytes + 1) + "}\r\n");
    QTest::newRow("absurd literal size")
        << QByteArray("* 1 FETCH (BODY[] {18446744073709551616}\r\n");
    QTest::newRow("line without end")
        << QByteArray("* OK " + QByteArray(ImapLimits::maxLineBytes + 10, 'x'));
    QTest::newRow("long line with end")
        << QByteArray("* OK " + QByteArray(ImapLimits::maxLineBytes + 10, 'x') + "\r\n");
    QByteArray manyLiterals = "* 1 FETCH (";
    for (int i = 0; i < 2; ++i)
        manyLiterals += "A {" + QByteArray::number(ImapLimits::maxLiteralBytes) + "}\r\n";
    QTest::newRow("reply above 96 MB") << manyLiterals;
}

void tst_imapResponse::refusesOversizedInput()
{
    QFETCH(QByteArray, stream);
    ImapResponseFramer framer;
    // The first literal announcement is accepted, so the second must arrive after its bytes.
    const qsizetype firstLiteral = stream.indexOf("}\r\n");
    if (stream.count("}\r\n") > 1) {
        framer.append(stream.left(firstLiteral + 3));
        QCOMPARE(framer.takeResponse(), std::nullopt);
        framer.append(QByteArray(ImapLimits::maxLiteralBytes, 'z'));
        framer.append(stream.mid(firstLiteral + 3));
    } else {
        framer.append(stream);
    }
    QVERIFY_THROWS_EXCEPTION(ImapLimitError, framer.takeResponse());
}

QTEST_APPLESS_MAIN(tst_imapResponse)
#include "tst_imapResponse.moc"
