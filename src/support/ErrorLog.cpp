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
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A run logs once per message, many times a second; formatting the time is most of an entry's
// cost, so the text is kept for the rest of its second. Only the clock is read for every entry:
// local time looks the zone's rules up again (a stat of /etc/localtime) and is needed once a
// second. A time on a whole second is always formatted afresh: at exactly midnight it reads
// as the date alone.
QString CurrentTimeText()
{
    static qint64 cachedSecond = -1;
    static QString cachedText;
    const qint64 msecs = QDateTime::currentMSecsSinceEpoch();
    if (msecs % 1000 == 0)
        return GeneralDateText(QDateTime::fromMSecsSinceEpoch(msecs));
    if (msecs / 1000 != cachedSecond) {
        cachedText = GeneralDateText(QDateTime::fromMSecsSinceEpoch(msecs));
        cachedSecond = msecs / 1000;
    }
    return cachedText;
}

#ifdef Q_OS_UNIX
// The log file held open between entries (a run appends once per message), and which file it
// is, so that an entry never goes into a file removed, renamed or replaced meanwhile.
struct HeldLog
{
    QString path;
    QByteArray encodedPath;
    int file = -1;
    dev_t device = 0;
    ino_t inode = 0;
};

HeldLog &heldLog()
{
    static HeldLog held;
    return held;
}

void CloseHeld(HeldLog &held)
{
    if (held.file >= 0)
        ::close(held.file);
    held.file = -1;
}

// Whatever is at the path now must be the file held: one stat instead of an open and a close.
bool StillAtPath(const HeldLog &held)
{
    struct stat atPath = {};
    return ::stat(held.encodedPath.constData(), &atPath) == 0 && atPath.st_dev == held.device
        && atPath.st_ino == held.inode;
}

bool OpenHeld(HeldLog &held, const QString &path)
{
    CloseHeld(held);
    held.path = path;
    held.encodedPath = QFile::encodeName(path);
    held.file =
        ::open(held.encodedPath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    struct stat opened = {};
    if (held.file < 0 || ::fstat(held.file, &opened) != 0) {
        CloseHeld(held);
        return false;
    }
    held.device = opened.st_dev;
    held.inode = opened.st_ino;
    return true;
}
#endif

// Appends with one write (O_APPEND: never over another writer's entry). On Unix the file stays
// open while the path names it; elsewhere it is opened and closed for every entry.
void AppendToFile(const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    HeldLog &held = heldLog();
    const bool reusable = held.file >= 0 && held.path == path && StillAtPath(held);
    if (!reusable && !OpenHeld(held, path))
        return;
    [[maybe_unused]] const ssize_t written =
        ::write(held.file, bytes.constData(), size_t(bytes.size()));
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
