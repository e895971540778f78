#include "FetchAheadReader.h"
#include "MailMessage.h"
#include "MimeBodyFinder.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test message %s", qPrintable(name));
    return file.readAll();
}

MailMessage parsedFixture(const QString &name)
{
    const std::optional<MailMessage> message = MailMessage::fromRfc822(fixture(name));
    if (!message)
        qFatal("test message %s did not parse", qPrintable(name));
    return *message;
}

} // namespace

class tst_MailMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sender_data();
    void sender();
    void bodies_data();
    void bodies();
    void date_data();
    void date();
    void notAMessage_data();
    void notAMessage();
    void oversizedInputIsRefusedWithAReason();
    void hostileNestingDoesNotCrash();
    void fromFetchedParts_data();
    void fromFetchedParts();
    void readableContentType_data();
    void readableContentType();
    void bothFetchPathsAgree_data();
    void bothFetchPathsAgree();
};

void tst_MailMessage::sender_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("fromName");
    QTest::addColumn<QString>("fromAddress");
    QTest::addColumn<QString>("subject");

    QTest::newRow("encoded words in name and subject")
        << "encoded-words.eml" << QStringLiteral("Jürgen Müller <juergen@example.test>")
        << QStringLiteral("Jürgen Müller") << "juergen@example.test"
        << QStringLiteral("Grüße and café au lait");
    QTest::newRow("quoted name with a comma") << "quoted-printable-latin1.eml"
                                              << "Doe, Jane <jane.doe@example.test>"
                                              << "Doe, Jane"
                                              << "jane.doe@example.test"
                                              << "Quoted-printable";
    QTest::newRow("bare address") << "html-only.eml"
                                  << "html@example.test"
                                  << ""
                                  << "html@example.test"
                                  << "HTML only";
    // GMime alone gives "Jürgen " and "have ": it joins the words before base64 decoding.
    QTest::newRow("adjacent encoded-words, padded and splitting a character")
        << "split-encoded-words.eml" << QStringLiteral("Jürgen Müller <juergen@example.test>")
        << QStringLiteral("Jürgen Müller") << "juergen@example.test"
        << QStringLiteral("have 日本語 words");
    QTest::newRow("NUL in the subject")
        << "nul-in-subject.eml"
        << "nul@example.test"
        << ""
        << "nul@example.test" << QStringLiteral("Before after – ünïcode and its next line");
    QTest::newRow("no header fields") << "no-header-fields.eml"
                                      << ""
                                      << ""
                                      << ""
                                      << "";
}

void tst_MailMessage::sender()
{
    QFETCH(QString, file);
    const MailMessage message = parsedFixture(file);
    QTEST(message.from, "from");
    QTEST(message.fromName, "fromName");
    QTEST(message.fromAddress, "fromAddress");
    QTEST(message.subject, "subject");
}

void tst_MailMessage::bodies_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("html");

    QTest::newRow("plain CR LF") << "encoded-words.eml"
                                 << "Plain ASCII body.\r\n"
                                 << "";
    QTest::newRow("quoted-printable Latin-1")
        << "quoted-printable-latin1.eml"
        << QStringLiteral("Café crème, a soft break joins this line.\r\nSecond line = equals.\r\n")
        << "";
    QTest::newRow("base64 UTF-8") << "base64-utf8.eml"
                                  << QStringLiteral("Zürich → 東京\r\nLine two\r\n") << "";
    QTest::newRow("alternative") << "multipart-alternative.eml"
                                 << "Plain version"
                                 << "<p>HTML version</p>";
    const QString htmlSource =
        QStringLiteral("<html><body><p>Only HTML</p>\r\n<p>Second paragraph</p></body></html>\r\n");
    QTest::newRow("HTML only gives its source as plain text")
        << "html-only.eml" << htmlSource << htmlSource;
    QTest::newRow("attachments are never the body") << "attachment-first.eml"
                                                    << "The real body."
                                                    << "";
    QTest::newRow("nested multiparts, first part wins") << "nested-multipart.eml"
                                                        << "Nested plain"
                                                        << "<b>Nested html</b>";
    QTest::newRow("embedded message alone gives its text") << "forwarded-message.eml"
                                                           << "Inner body, never the outer body."
                                                           << "";
    QTest::newRow("forwarded message at the top") << "forwarded-only.eml"
                                                  << "Lunch at noon?"
                                                  << "<p>Lunch at noon?</p>";
    QTest::newRow("digest: the first message") << "digest.eml"
                                               << "First digest message."
                                               << "";
    QTest::newRow("lone CR becomes CR LF") << "lone-cr.eml"
                                           << "first line\r\nsecond line\r\n\r\nfourth line\r\n"
                                           << "";
    QTest::newRow("Content-Type without subtype is plain text")
        << "content-type-without-subtype.eml"
        << "Text with an unreadable type.\r\n"
        << "";
    QTest::newRow("part whose Content-Type has no subtype")
        << "content-type-without-subtype-in-multipart.eml"
        << "Part with an unreadable type."
        << "";
    QTest::newRow("named text when no unnamed text") << "named-text-only.eml"
                                                     << "The text the mailer named."
                                                     << "";
    QTest::newRow("body right after the header") << "header-without-blank-line.eml"
                                                 << "The body starts right here.\r\n"
                                                    "second line: with a colon\r\n"
                                                 << "";
    QTest::newRow("no header fields: all body")
        << "no-header-fields.eml"
        << "Only a body, no header fields.\r\nsecond line\r\n"
        << "";
    QTest::newRow("RFC 2231 boundary") << "rfc2231-boundary.eml"
                                       << "Text behind an extended boundary."
                                       << "";
    QTest::newRow("no text part: an empty body") << "no-text-part.eml"
                                                 << ""
                                                 << "";
    // NULs are dropped, the text after them kept.
    QTest::newRow("NUL in Latin-1 text")
        << "nul-in-latin1-body.eml" << QStringLiteral("Café crème\r\nnext line\r\n") << "";
    QTest::newRow("NUL in unlabelled 8-bit text")
        << "nul-in-unlabelled-body.eml" << QStringLiteral("naïve text\r\nnext line\r\n") << "";
    QTest::newRow("bare LF becomes CR LF") << "bare-lf.eml"
                                           << "first line\r\nsecond line\r\n\r\nfourth line\r\n"
                                           << "";
    QTest::newRow("unknown charset label falls back")
        << "broken-charset.eml" << QStringLiteral("Café “quoted”\r\n") << "";
    QTest::newRow("UTF-8 labelled US-ASCII")
        << "mislabelled-ascii.eml" << QStringLiteral("Grüße aus Köln\r\n") << "";
}

void tst_MailMessage::bodies()
{
    QFETCH(QString, file);
    const MailMessage message = parsedFixture(file);
    QTEST(message.plainTextBody, "plain");
    QTEST(message.htmlTextBody, "html");
}

void tst_MailMessage::date_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QDateTime>("utc");

    QTest::newRow("zone offset") << "encoded-words.eml"
                                 << QDateTime(QDate(2024, 1, 2), QTime(9, 30), Qt::UTC);
    QTest::newRow("midnight") << "midnight-date.eml"
                              << QDateTime(QDate(2024, 1, 11), QTime(0, 0), Qt::UTC);
    QTest::newRow("no Date header") << "no-date.eml" << QDateTime();
}

void tst_MailMessage::date()
{
    QFETCH(QString, file);
    QFETCH(QDateTime, utc);
    const MailMessage message = parsedFixture(file);
    QCOMPARE(message.date.isValid(), utc.isValid());
    if (!utc.isValid())
        return;
    QCOMPARE(message.date.timeSpec(), Qt::LocalTime);
    QCOMPARE(message.date.toUTC(), utc);
}

void tst_MailMessage::notAMessage_data()
{
    QTest::addColumn<QByteArray>("raw");

    QTest::newRow("empty") << QByteArray();
}

void tst_MailMessage::notAMessage()
{
    QFETCH(QByteArray, raw);
    QString reason;
    QVERIFY(!MailMessage::fromRfc822(raw, &reason));
    QVERIFY(!reason.isEmpty());
}

void tst_MailMessage::oversizedInputIsRefusedWithAReason()
{
    // An attachment-sized payload, so the test does not also decode 64 MB of text.
    QByteArray raw = "From: big@example.test\r\nContent-Type: application/octet-stream\r\n\r\n";
    raw.append(QByteArray(MailMessage::MaximumSize - raw.size(), 'x'));
    QString reason = QStringLiteral("stale");
    QVERIFY(MailMessage::fromRfc822(raw, &reason));
    QVERIFY(reason.isEmpty());

    raw.append('x');
    QVERIFY(!MailMessage::fromRfc822(raw, &reason));
    QVERIFY2(reason.contains(QStringLiteral("64 MB")), qPrintable(reason));
}

void tst_MailMessage::hostileNestingDoesNotCrash()
{
    QByteArray raw = "From: deep@example.test\r\nSubject: Deep\r\n";
    const int depth = 500;
    for (int level = 0; level < depth; ++level)
        raw += "Content-Type: multipart/mixed; boundary=\"b" + QByteArray::number(level)
            + "\"\r\n\r\n--b" + QByteArray::number(level) + "\r\n";
    raw += "Content-Type: text/plain\r\n\r\ndeep body\r\n";
    const std::optional<MailMessage> message = MailMessage::fromRfc822(raw);
    QVERIFY(message);
    QCOMPARE(message->subject, QStringLiteral("Deep"));
    QVERIFY(message->plainTextBody.isEmpty());
}

using OptionalBytes = std::optional<QByteArray>;

void tst_MailMessage::fromFetchedParts_data()
{
    QTest::addColumn<OptionalBytes>("plainPart");
    QTest::addColumn<OptionalBytes>("htmlPart");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("html");

    const QByteArray latin1 = "Content-Type: text/plain; charset=iso-8859-1\r\n"
                              "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                              "Caf=E9 cr=E8me\nnext\n";
    const QByteArray html = "Content-Type: text/html; charset=utf-8\r\n"
                            "Content-Transfer-Encoding: base64\r\n\r\nPGI+R3LDvMOfZTwvYj4=";
    QTest::newRow("plain part, decoded")
        << OptionalBytes(latin1) << OptionalBytes() << true
        << QStringLiteral("Caf\u00e9 cr\u00e8me\r\nnext\r\n") << QString();
    QTest::newRow("plain and HTML") << OptionalBytes(latin1) << OptionalBytes(html) << true
                                    << QStringLiteral("Caf\u00e9 cr\u00e8me\r\nnext\r\n")
                                    << QStringLiteral("<b>Gr\u00fc\u00dfe</b>");
    QTest::newRow("HTML only is the plain text too")
        << OptionalBytes() << OptionalBytes(html) << true
        << QStringLiteral("<b>Gr\u00fc\u00dfe</b>") << QStringLiteral("<b>Gr\u00fc\u00dfe</b>");
    QTest::newRow("part without a header is plain ASCII text")
        << OptionalBytes("\r\nJust text\r\n") << OptionalBytes() << true
        << QStringLiteral("Just text\r\n") << QString();
    QTest::newRow("no text parts")
        << OptionalBytes() << OptionalBytes() << true << QString() << QString();
    QTest::newRow("plain part that is a picture")
        << OptionalBytes("Content-Type: image/png\r\n\r\nxyz") << OptionalBytes() << false
        << QString() << QString();
    QTest::newRow("plain part that is an attachment")
        << OptionalBytes("Content-Type: text/plain\r\nContent-Disposition: attachment\r\n\r\nx")
        << OptionalBytes() << false << QString() << QString();
    QTest::newRow("HTML part that is plain text")
        << OptionalBytes() << OptionalBytes(latin1) << false << QString() << QString();
}

void tst_MailMessage::fromFetchedParts()
{
    QFETCH(OptionalBytes, plainPart);
    QFETCH(OptionalBytes, htmlPart);
    QFETCH(bool, readable);
    const QByteArray header =
        "From: Ann <ann@example.test>\r\nSubject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
        "Date: Tue, 02 Mar 2021 10:00:00 +0000\r\n"
        "Content-Type: multipart/mixed; boundary=x\r\n\r\n";
    QString reason;
    const std::optional<MailMessage> message =
        MailMessage::fromParts(header, plainPart, htmlPart, &reason);
    QCOMPARE(message.has_value(), readable);
    QCOMPARE(reason.isEmpty(), readable);
    if (!message)
        return;
    QCOMPARE(message->fromAddress, QStringLiteral("ann@example.test"));
    QCOMPARE(message->subject, QStringLiteral("Gr\u00fc\u00dfe"));
    QCOMPARE(message->date, QDateTime::fromSecsSinceEpoch(1614679200));
    QTEST(message->plainTextBody, "plain");
    QTEST(message->htmlTextBody, "html");
}

// Read as the test server (Dovecot) reads them, so that both fetch paths pick the same part.
void tst_MailMessage::readableContentType_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("readable");

    QTest::newRow("no subtype") << QByteArray("text; charset=us-ascii") << false;
    QTest::newRow("empty subtype") << QByteArray("text/") << false;
    QTest::newRow("quoted") << QByteArray("\"text/plain\"") << false;
    QTest::newRow("a second word") << QByteArray("text/html garbage") << false;
    QTest::newRow("a list") << QByteArray("text/plain, text/html") << false;
    QTest::newRow("comments and spaces") << QByteArray(" (c) text /plain (c)") << true;
    QTest::newRow("parameters") << QByteArray("text/plain; charset=utf-8 junk") << true;
    QTest::newRow("8-bit byte in the subtype")
        << QByteArray("application/octet-stream\xba") << true;
}

void tst_MailMessage::readableContentType()
{
    QFETCH(QByteArray, value);
    QTEST(MimeBodyFinder::isReadableContentType(value.constData()), "readable");
}

void tst_MailMessage::bothFetchPathsAgree_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &folder : {QStringLiteral(TEST_DATA_DIR), QStringLiteral(FUZZ_CORPUS_DIR)}) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QFileInfo &file : files)
            QTest::newRow(qPrintable(file.fileName())) << file.filePath();
    }
}

// The text sections alone (or the whole message, where that path falls back to it) give what
// the whole message gives.
void tst_MailMessage::bothFetchPathsAgree()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    const std::optional<MailMessage> whole = MailMessage::fromRfc822(raw);
    const std::optional<MailMessage> sections = FetchAheadReader::read(raw);
    QCOMPARE(sections.has_value(), whole.has_value());
    if (!whole)
        return;
    QCOMPARE(sections->from, whole->from);
    QCOMPARE(sections->fromName, whole->fromName);
    QCOMPARE(sections->fromAddress, whole->fromAddress);
    QCOMPARE(sections->subject, whole->subject);
    QCOMPARE(sections->date, whole->date);
    QCOMPARE(sections->plainTextBody, whole->plainTextBody);
    QCOMPARE(sections->htmlTextBody, whole->htmlTextBody);
}

QTEST_APPLESS_MAIN(tst_MailMessage)
#include "tst_MailMessage.moc"
