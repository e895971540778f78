#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Writes a small sh script into `folder` and returns the command line that runs it.
inline QString shellScriptCommand(const QTemporaryDir &folder, const QString &name,
                                  const QByteArray &body)
{
    const QString path = folder.filePath(name);
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    script.write("#!/bin/sh\n" + body + "\n");
    return QStringLiteral("sh ") + path;
}
