#include "GeneralDate.h"

#include <QLocale>

namespace {
// Long time formats here carry a zone name ("t") that the desktop's long time leaves out.
QString longTimeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        kept += c;
    }
    return kept.trimmed();
}
} // namespace

QString GeneralDateText(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    const QDateTime local = value.toLocalTime();
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(local.date(), QLocale::ShortFormat);
    if (local.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ')
        + locale.toString(local.time(), longTimeFormatWithoutZone(locale));
}
