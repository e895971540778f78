#include "MailboxNameCodec.h"

#include <QTest>

// Modified UTF-7 both ways: the published examples, names a Gmail account really has, and
// damaged input that must still give a name.
class tst_imapMailboxNameCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrips_data();
    void roundTrips();
    void decodesLeniently_data();
    void decodesLeniently();
};

void tst_imapMailboxNameCodec::roundTrips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("plain") << QStringLiteral("INBOX") << QByteArray("INBOX");
    QTest::newRow("gmail system folder")
        << QStringLiteral("[Gmail]/All Mail") << QByteArray("[Gmail]/All Mail");
    QTest::newRow("ampersand") << QStringLiteral("R&D") << QByteArray("R&-D");
    QTest::newRow("only ampersands") << QStringLiteral("&&") << QByteArray("&-&-");
    QTest::newRow("RFC example, Chinese and Japanese")
        << QString::fromUtf8(
               "~peter/mail/\xe5\x8f\xb0\xe5\x8c\x97/\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e")
        << QByteArray("~peter/mail/&U,BTFw-/&ZeVnLIqe-");
    QTest::newRow("smiley") << QString::fromUtf8("\xe2\x98\xba!") << QByteArray("&Jjo-!");
    QTest::newRow("accented label")
        << QString::fromUtf8("\xc3\x89v\xc3\xa9nements") << QByteArray("&AMk-v&AOk-nements");
    QTest::newRow("german") << QString::fromUtf8("Entw\xc3\xbcrfe") << QByteArray("Entw&APw-rfe");
    QTest::newRow("emoji needs a surrogate pair")
        << QString::fromUtf8("\xf0\x9f\x98\x80") << QByteArray("&2D3eAA-");
    QTest::newRow("run of three kana")
        << QString::fromUtf8("\xe3\x81\x82\xe3\x81\x84\xe3\x81\x86") << QByteArray("&MEIwRDBG-");
    QTest::newRow("control character is shifted")
        << QStringLiteral("a\tb") << QByteArray("a&AAk-b");
    QTest::newRow("quotes and backslash stay")
        << QStringLiteral("say \"hi\" \\ there") << QByteArray("say \"hi\" \\ there");
    QTest::newRow("empty") << QString() << QByteArray();
}

void tst_imapMailboxNameCodec::roundTrips()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, wire);
    QCOMPARE(MailboxNameCodec::encode(name), wire);
    QCOMPARE(MailboxNameCodec::decode(wire), name);
}

void tst_imapMailboxNameCodec::decodesLeniently_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("name");

    QTest::newRow("ampersand never closed") << QByteArray("A&B") << QStringLiteral("A&B");
    QTest::newRow("invalid base64 kept") << QByteArray("x&!!-y") << QStringLiteral("x&!!-y");
    QTest::newRow("odd byte count kept") << QByteArray("&AM-") << QStringLiteral("&AM-");
    QTest::newRow("raw UTF-8 from a server that sends it")
        << QByteArray("\xc3\x89t\xc3\xa9") << QString::fromUtf8("\xc3\x89t\xc3\xa9");
    QTest::newRow("mixed raw and shifted")
        << QByteArray("\xc3\xa9&AOk-") << QString::fromUtf8("\xc3\xa9\xc3\xa9");
}

void tst_imapMailboxNameCodec::decodesLeniently()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, name);
    QCOMPARE(MailboxNameCodec::decode(wire), name);
}

QTEST_APPLESS_MAIN(tst_imapMailboxNameCodec)
#include "tst_imapMailboxNameCodec.moc"
