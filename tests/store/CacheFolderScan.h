#pragma once

#include <QDirIterator>
#include <QStandardPaths>
#include <QStringList>

// Every file under the user's cache location: a run with the local copy switched off must leave
// this empty.
inline QStringList FilesUnderCacheLocation()
{
    QStringList files;
    QDirIterator found(QStandardPaths::writableLocation(QStandardPaths::CacheLocation),
                       QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (found.hasNext())
        files << found.next();
    return files;
}
