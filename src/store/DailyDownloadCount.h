#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// Gmail suspends IMAP for about a day once an account downloads more than its daily allowance
// (2,500 MB); runs stay under this, with room for the user's other mail programs.
inline constexpr qint64 BytesPerMegabyte = 1000 * 1000;
inline constexpr qint64 DailyDownloadLimitMegabytes = 2000;
inline constexpr qint64 DailyDownloadLimitBytes = DailyDownloadLimitMegabytes * BytesPerMegabyte;

// The bytes downloaded from each account on the current local day, kept in the settings store
// with their date (never anything of the mail itself). A new day starts at local midnight.
class DailyDownloadCount
{
public:
    using Clock = std::function<QDateTime()>;

    explicit DailyDownloadCount(Clock now = &QDateTime::currentDateTime);

    void add(const QString &account, qint64 bytes);
    qint64 today(const QString &account) const;

    // The question to ask before a run that would download `estimate` bytes, when today's bytes
    // and the estimate together pass the limit; nothing when the run stays under it.
    std::optional<QString> questionBeforeRun(const QString &account, qint64 estimate) const;

    static bool wouldPassLimit(qint64 todayBytes, qint64 estimate);
    // One sentence naming both numbers; the question and the command line's refusal end it
    // in their own words.
    static QString overLimitText(qint64 todayBytes, qint64 estimate);
    static QString questionText(qint64 todayBytes, qint64 estimate);
    static QString refusalText(qint64 todayBytes, qint64 estimate);
    // "1,234 MB", rounded up so that any download shows.
    static QString megabytes(qint64 bytes);

private:
    Clock m_now;
};
