#pragma once

#include <QString>
#include <QStringList>

// Where one account's local copy of mail text lives, and what is done to the file as a whole:
// created private, set aside when it cannot be trusted, removed when the user forgets it.
// The database's own side files (its journal) always go with it.
class LocalCopyFile
{
public:
    explicit LocalCopyFile(const QString &account);

    // The folder of every account's copy, inside the user's cache location.
    static QString folder();

    QString path() const { return m_path; }
    bool exists() const;
    // The folder (owner only) and an empty file (owner only) before anything is written to it.
    // Returns why that failed, or empty text.
    QString createPrivate() const;
    // Renames the file and its side files out of the way, never deleting them. Returns the new
    // name of the file, or empty text when the rename failed.
    QString setAside() const;
    // Every file of this account: the copy, its side files and the copies set aside.
    QStringList allFiles() const;

private:
    QString m_path;
};
