#include "DailyDownloadCount.h"

#include "AccountDigest.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

#include <utility>

namespace {

// The stored value: "yyyy-MM-dd bytes".
QString storedForm(QDate day, qint64 bytes)
{
    return day.toString(Qt::ISODate) + QLatin1Char(' ') + QString::number(bytes);
}

qint64 bytesOnDay(const QString &stored, QDate day)
{
    const QStringList fields = stored.split(QLatin1Char(' '));
    if (fields.size() != 2 || QDate::fromString(fields[0], Qt::ISODate) != day)
        return 0;
    bool ok = false;
    const qint64 bytes = fields[1].toLongLong(&ok);
    return ok && bytes > 0 ? bytes : 0;
}

QString keyOf(const QString &account)
{
    return SettingsKeys::dailyDownload(AccountDigest(account));
}

} // namespace

DailyDownloadCount::DailyDownloadCount(Clock now) : m_now(std::move(now)) { }

void DailyDownloadCount::add(const QString &account, qint64 bytes)
{
    if (bytes <= 0)
        return;
    const QDate day = m_now().toLocalTime().date();
    const qint64 before = bytesOnDay(GetSetting(keyOf(account)), day);
    SaveSetting(keyOf(account), storedForm(day, before + bytes));
}

qint64 DailyDownloadCount::today(const QString &account) const
{
    return bytesOnDay(GetSetting(keyOf(account)), m_now().toLocalTime().date());
}

std::optional<QString> DailyDownloadCount::questionBeforeRun(const QString &account,
                                                             qint64 estimate) const
{
    const qint64 sofar = today(account);
    if (!wouldPassLimit(sofar, estimate))
        return std::nullopt;
    return questionText(sofar, estimate);
}

bool DailyDownloadCount::wouldPassLimit(qint64 todayBytes, qint64 estimate)
{
    return todayBytes + std::max<qint64>(estimate, 0) > DailyDownloadLimitBytes;
}

QString DailyDownloadCount::megabytes(qint64 bytes)
{
    const qint64 rounded = (std::max<qint64>(bytes, 0) + BytesPerMegabyte - 1) / BytesPerMegabyte;
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(rounded)
        + QStringLiteral(" MB");
}

QString DailyDownloadCount::overLimitText(qint64 todayBytes, qint64 estimate)
{
    return QStringLiteral("This run would download about %1, and %2 were downloaded from this "
                          "account today: together more than the %3 a day this program keeps to. "
                          "Past Gmail's own daily limit, Gmail stops IMAP for the account for "
                          "about a day, in every mail program.")
        .arg(megabytes(estimate), megabytes(todayBytes), megabytes(DailyDownloadLimitBytes));
}

QString DailyDownloadCount::questionText(qint64 todayBytes, qint64 estimate)
{
    return overLimitText(todayBytes, estimate) + QStringLiteral(" Start the run anyway?");
}

QString DailyDownloadCount::refusalText(qint64 todayBytes, qint64 estimate)
{
    return overLimitText(todayBytes, estimate)
        + QStringLiteral(" Run again with --ignore-daily-limit to download anyway.");
}
