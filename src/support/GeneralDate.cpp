#include "GeneralDate.h"

#include <QLocale>

#include <optional>

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

// A run formats a date per message: the formats are worked out once per system locale.
struct GeneralFormats
{
    QLocale locale;
    QString date;
    QString time;
};

const GeneralFormats &formatsFor(const QLocale &system)
{
    thread_local std::optional<GeneralFormats> formats;
    if (!formats || formats->locale != system)
        formats = GeneralFormats {system, system.dateFormat(QLocale::ShortFormat),
                                  longTimeFormatWithoutZone(system)};
    return *formats;
}

} // namespace

QString GeneralDateText(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    const QDateTime local = value.toLocalTime();
    const GeneralFormats &formats = formatsFor(QLocale::system());
    const QString date = formats.locale.toString(local.date(), formats.date);
    if (local.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + formats.locale.toString(local.time(), formats.time);
}
