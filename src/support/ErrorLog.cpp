#include "ErrorLog.h"

#include "GeneralDate.h"
#include "ProgramFolder.h"

#include <QDateTime>
#include <QFile>

QString ErrorLogEntry(const QDateTime &when, const QString &failureText)
{
    static const QString separator = QString(52, QLatin1Char('*'));
    const QLatin1String lineEnd("\r\n");
    return GeneralDateText(when) + QLatin1String(" : ") + failureText + lineEnd + separator
        + lineEnd;
}

void AppendErrorLog(const QString &failureText)
{
    try {
        QFile log(ProgramFilePath(QStringLiteral("errorlog.txt")));
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
        log.write(ErrorLogEntry(QDateTime::currentDateTime(), failureText).toUtf8());
    } catch (...) {
        // The log is a diagnostic aid; losing an entry must never disturb a retrieval run.
    }
}
