#include "DailyDownloadCount.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QTest>

#include <ctime>

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
    TestEnvironment m_environment;

private Q_SLOTS:
    void theCountStartsAgainAtLocalMidnight()
    {
        // 13 hours ahead of UTC in December: local midnight falls at 11:00 UTC.
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Pacific/Auckland");
        ::tzset();
        QDateTime now = utc("2026-12-09T10:59:50Z");
        DailyDownloadCount count([&now] { return now; });
        count.add(Account, 300 * MB);
        count.add(Account, 5);
        count.add(QStringLiteral("reader.two@example.com"), 1);
        QCOMPARE(count.today(QStringLiteral(" READER.ONE@example.com")), 300 * MB + 5);

        now = utc("2026-12-09T11:00:10Z"); // the same day in UTC, the next one here
        QCOMPARE(count.today(Account), 0);
        count.add(Account, 7);
        now = utc("2026-12-10T10:59:59Z");
        QCOMPARE(DailyDownloadCount([&now] { return now; }).today(Account), 7);
        now = utc("2026-12-10T11:00:00Z");
        QCOMPARE(count.today(Account), 0);

        // The store holds dates and numbers, never the account's name.
        QFile settings(SettingsFilePath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("reader"));
        qputenv("TZ", zone);
        ::tzset();
    }

    void theQuestionComesOnlyPastTheLimit()
    {
        const QDateTime noon = utc("2026-12-09T12:00:00Z");
        DailyDownloadCount count([noon] { return noon; });
        QCOMPARE(count.questionBeforeRun(Account, 2000 * MB), std::nullopt);
        count.add(Account, 1950 * MB);
        QCOMPARE(count.questionBeforeRun(Account, 50 * MB), std::nullopt);
        QCOMPARE(count.questionBeforeRun(Account, 50 * MB + 1).value_or(QString()),
                 QStringLiteral("This run would download about 51 MB, and 1,950 MB were "
                                "downloaded from this account today: together more than the "
                                "2,000 MB a day this program keeps to. Past Gmail's own daily "
                                "limit, Gmail stops IMAP for the account for about a day, in "
                                "every mail program. Start the run anyway?"));
    }
};

QTEST_GUILESS_MAIN(tst_DailyDownloadCount)
#include "tst_DailyDownloadCount.moc"
