#include "DailyDownloadCount.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QTest>

#include <ctime>
#include <memory>

namespace {

const QString Account = QStringLiteral("reader.one@example.com");
constexpr qint64 MB = BytesPerMegabyte;

QDateTime utc(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
}

} // namespace

class tst_DailyDownloadCount : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_environment;

private Q_SLOTS:
    void init() { m_environment = std::make_unique<TestEnvironment>(); }

    void theCountStartsAgainAtLocalMidnight()
    {
        // 13 hours ahead of UTC in December: local midnight falls at 11:00 UTC.
        const QByteArray previousZone = qgetenv("TZ");
        qputenv("TZ", "Pacific/Auckland");
        ::tzset();
        QDateTime now = utc("2026-12-09T10:59:50Z");
        DailyDownloadCount count([&now] { return now; });

        count.add(Account, 300 * MB);
        count.add(Account, 5);
        count.add(QStringLiteral("reader.two@example.com"), 1);
        QCOMPARE(count.today(Account), 300 * MB + 5);
        QCOMPARE(count.today(QStringLiteral(" READER.ONE@example.com")), 300 * MB + 5);

        now = utc("2026-12-09T11:00:10Z"); // the same UTC day, the next local one
        QCOMPARE(count.today(Account), 0);
        count.add(Account, 7);
        QCOMPARE(DailyDownloadCount([&now] { return now; }).today(Account), 7);
        now = utc("2026-12-10T10:59:59Z");
        QCOMPARE(count.today(Account), 7);
        now = utc("2026-12-10T11:00:00Z");
        QCOMPARE(count.today(Account), 0);

        // The store holds dates and numbers, never the account's name.
        QFile settings(SettingsFilePath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("reader"));
        qputenv("TZ", previousZone);
        ::tzset();
    }

    void theQuestionComesOnlyPastTheLimit_data()
    {
        QTest::addColumn<qint64>("sofar");
        QTest::addColumn<qint64>("estimate");
        QTest::addColumn<QString>("question");
        QTest::newRow("nothing yet, a small run") << qint64(0) << 40 * MB << QString();
        QTest::newRow("exactly at the limit") << 1950 * MB << 50 * MB << QString();
        QTest::newRow("one byte past it")
            << 1950 * MB << 50 * MB + 1
            << QStringLiteral("This run would download about 51 MB, and 1,950 MB were downloaded "
                              "from this account today: together more than the 2,000 MB a day "
                              "this program keeps to. Past Gmail's own daily limit, Gmail stops "
                              "IMAP for the account for about a day, in every mail program. "
                              "Start the run anyway?");
        QTest::newRow("one run alone past it")
            << qint64(0) << 2500 * MB
            << QStringLiteral("This run would download about 2,500 MB, and 0 MB were downloaded "
                              "from this account today: together more than the 2,000 MB a day "
                              "this program keeps to. Past Gmail's own daily limit, Gmail stops "
                              "IMAP for the account for about a day, in every mail program. "
                              "Start the run anyway?");
    }

    void theQuestionComesOnlyPastTheLimit()
    {
        QFETCH(qint64, sofar);
        QFETCH(qint64, estimate);
        QFETCH(QString, question);
        const QDateTime noon = utc("2026-12-09T12:00:00Z");
        DailyDownloadCount count([noon] { return noon; });
        count.add(Account, sofar);
        QCOMPARE(count.questionBeforeRun(Account, estimate).value_or(QString()), question);
    }
};

QTEST_GUILESS_MAIN(tst_DailyDownloadCount)
#include "tst_DailyDownloadCount.moc"
