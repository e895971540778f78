#include "LocalCopyFile.h"

#include "AccountDigest.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// SQLite keeps a half-done transaction in these beside the file; a new file under the old name
// must never meet the old file's journal, so they move together.
const char *const SideFileEndings[] = {"-journal", "-wal", "-shm"};

QString privateFolder(const QString &path)
{
    QDir folder(path);
    if (!folder.exists() && !folder.mkpath(QStringLiteral(".")))
        return QStringLiteral("cannot create the folder %1").arg(path);
    if (!QFile::setPermissions(path, OwnerOnlyFolder))
        return QStringLiteral("cannot make the folder %1 private").arg(path);
    return {};
}

} // namespace

LocalCopyFile::LocalCopyFile(const QString &account)
    : m_path(QDir(folder()).filePath(AccountDigest(account) + QStringLiteral(".sqlite")))
{
}

QString LocalCopyFile::folder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("mail-copies"));
}

bool LocalCopyFile::exists() const
{
    return QFileInfo::exists(m_path);
}

QString LocalCopyFile::createPrivate() const
{
    if (const QString problem = privateFolder(folder()); !problem.isEmpty())
        return problem;
    QFile file(m_path);
    // Created with its final mode, so there is no moment when others could read it.
    if (!file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnlyFile))
        return QStringLiteral("cannot create %1: %2").arg(m_path, file.errorString());
    file.close();
    if (!QFile::setPermissions(m_path, OwnerOnlyFile))
        return QStringLiteral("cannot make %1 private").arg(m_path);
    return {};
}

QString LocalCopyFile::setAside() const
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".set-aside-") + stamp;
    for (int extra = 2; QFileInfo::exists(aside); ++extra)
        aside = m_path + QStringLiteral(".set-aside-%1-%2").arg(stamp).arg(extra);
    if (!QFile::rename(m_path, aside))
        return {};
    for (const char *ending : SideFileEndings) {
        const QString side = m_path + QLatin1String(ending);
        if (QFileInfo::exists(side))
            QFile::rename(side, aside + QLatin1String(ending));
    }
    return aside;
}

QStringList LocalCopyFile::allFiles() const
{
    const QFileInfo copy(m_path);
    QStringList files;
    const QStringList names = copy.dir().entryList({copy.fileName() + QLatin1Char('*')},
                                                   QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        files << copy.dir().filePath(name);
    return files;
}
