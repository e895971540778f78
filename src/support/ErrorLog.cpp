#include "ErrorLog.h"

#include "GeneralDate.h"
#include "ProgramFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A run logs once per message, many times a second; formatting the time is most of an entry's
// cost, so the text is kept for the rest of its second. A time on a whole second is always
// formatted afresh: at exactly midnight it reads as the date alone.
QString CurrentTimeText()
{
    static qint64 cachedSecond = -1;
    static QString cachedText;
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 msecs = now.toMSecsSinceEpoch();
    if (msecs % 1000 == 0)
        return GeneralDateText(now);
    if (msecs / 1000 != cachedSecond) {
        cachedText = GeneralDateText(now);
        cachedSecond = msecs / 1000;
    }
    return cachedText;
}

// Opens for appending (creating the file), writes, closes: the file is never held open between
// entries. On Unix this is done with three system calls instead of QFile's open, size, seek,
// buffered write and close.
void AppendToFile(const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    const int file = ::open(QFile::encodeName(path).constData(),
                            O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(file, bytes.constData(), size_t(bytes.size()));
    ::close(file);
#else
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(bytes);
#endif
}

// Beside the program while it runs from a folder it may write to (a build folder, a copied
// folder); an installed program, or one in a folder it cannot write, logs to the per-user data
// folder. Decided once per program folder: a run appends once per message.
QString LogPathFor(const QString &programFolder)
{
    const QFileInfo folder(programFolder);
    if (InstalledDataFolder().isEmpty() && folder.isDir() && folder.isWritable())
        return QDir(programFolder).filePath(QStringLiteral("errorlog.txt"));
    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(userFolder);
    return QDir(userFolder).filePath(QStringLiteral("errorlog.txt"));
}

QString EntryText(const QString &timeText, const QString &failureText)
{
    static const QString separator = QString(52, QLatin1Char('*'));
    const QLatin1String lineEnd("\r\n");
    return timeText + QLatin1String(" : ") + failureText + lineEnd + separator + lineEnd;
}

} // namespace

QString ErrorLogEntry(const QDateTime &when, const QString &failureText)
{
    return EntryText(GeneralDateText(when), failureText);
}

void AppendErrorLog(const QString &failureText)
{
    try {
        AppendToFile(ErrorLogPath(), EntryText(CurrentTimeText(), failureText).toUtf8());
    } catch (...) {
        // The log is a diagnostic aid; losing an entry must never disturb a retrieval run.
    }
}

QString ErrorLogPath()
{
    static QString cachedFolder;
    static QString cachedPath;
    const QString folder = ProgramFolder();
    if (cachedPath.isEmpty() || folder != cachedFolder) {
        cachedPath = LogPathFor(folder);
        cachedFolder = folder;
    }
    return cachedPath;
}
