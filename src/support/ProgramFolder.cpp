#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
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

QString ProgramFilePath(const QString &relative)
{
    return QDir::toNativeSeparators(QDir(ProgramFolder()).filePath(relative));
}
