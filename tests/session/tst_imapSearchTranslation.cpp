#include "SearchTranslation.h"

#include <QTest>

// What each search becomes on the wire, and what is refused.
class tst_imapSearchTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translates_data();
    void translates();
};

void tst_imapSearchTranslation::translates_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("gmail");
    QTest::addColumn<QByteArray>("wire"); // the parts joined; empty: refused
    QTest::addColumn<QString>("refusal");

    QTest::newRow("gmail: as typed") << QStringLiteral("has:attachment from:ann OR bob") << true
                                     << QByteArray("t UID SEARCH X-GM-RAW \"has:attachment "
                                                   "from:ann OR bob\"\r\n")
                                     << QString();
    QTest::newRow("gmail: non-ASCII as a literal")
        << QString::fromUtf8("Grüße") << true
        << QByteArray("t UID SEARCH CHARSET UTF-8 X-GM-RAW {7}\r\nGr\xc3\xbc\xc3\x9f"
                      "e\r\n")
        << QString();
    QTest::newRow("operators and words")
        << QStringLiteral("from:ann@example.test to:tess subject:\"Order 12\" invoice") << false
        << QByteArray("t UID SEARCH FROM ann@example.test TO tess SUBJECT \"Order 12\" TEXT "
                      "invoice\r\n")
        << QString();
    QTest::newRow("dates") << QStringLiteral("after:2024/02/01 before:2024/12/31") << false
                           << QByteArray("t UID SEARCH SINCE 1-Feb-2024 BEFORE 31-Dec-2024\r\n")
                           << QString();
    QTest::newRow("phrase") << QStringLiteral("\"see you soon\"") << false
                            << QByteArray("t UID SEARCH TEXT \"see you soon\"\r\n") << QString();
    QTest::newRow("another operator") << QStringLiteral("invoice label:work") << false
                                      << QByteArray() << QStringLiteral("\"label:work\"");
    QTest::newRow("exclusion") << QStringLiteral("-spam") << false << QByteArray()
                               << QStringLiteral("\"-spam\"");
    QTest::newRow("OR") << QStringLiteral("ann OR bob") << false << QByteArray()
                        << QStringLiteral("\"OR\"");
    QTest::newRow("date not as written") << QStringLiteral("before:31.12.2024") << false
                                         << QByteArray() << QStringLiteral("\"before:31.12.2024\"");
    QTest::newRow("empty value") << QStringLiteral("from:") << false << QByteArray()
                                 << QStringLiteral("\"from:\"");
}

void tst_imapSearchTranslation::translates()
{
    QFETCH(QString, search);
    QFETCH(bool, gmail);
    QFETCH(QByteArray, wire);
    QFETCH(QString, refusal);
    const SearchTranslation translated = SearchTranslation::translate(search, gmail);
    QCOMPARE(translated.command ? translated.command->wireParts("t").join() : QByteArray(), wire);
    QVERIFY2(refusal.isEmpty() ? translated.refusal.isEmpty()
                               : translated.refusal.contains(refusal),
             qPrintable(translated.refusal));
}

QTEST_GUILESS_MAIN(tst_imapSearchTranslation)
#include "tst_imapSearchTranslation.moc"
