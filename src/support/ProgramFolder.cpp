#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}

// The path from the installed bin/ to share/tessaline, fixed by the build (GNUInstallDirs).
QString dataFolderBesideExecutable()
{
    const QFileInfo data(QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral(TESSALINE_DATA_FROM_BIN)));
    return data.isDir() ? data.canonicalFilePath() : QString();
}
} // namespace

QString ProgramFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString &folder)
{
    overrideFolder() = folder;
}

QString InstalledDataFolder()
{
    // Without an application object the executable's folder is unknown; nothing is cached then.
    if (!overrideFolder().isEmpty() || !QCoreApplication::instance())
        return {};
    static const QString folder = dataFolderBesideExecutable();
    return folder;
}

QString RuntimeFolder()
{
    const QString installed = InstalledDataFolder();
    return installed.isEmpty() ? ProgramFolder() : installed;
}

QString ProgramFilePath(const QString &relative)
{
    return QDir::toNativeSeparators(QDir(RuntimeFolder()).filePath(relative));
}
