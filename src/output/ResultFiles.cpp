#include "ResultFiles.h"

#include <QDir>
#include <QSaveFile>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QString SaveFailureText(const QString &path, const QString &reason)
{
    return QStringLiteral("Could not save %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

QString TextFileContents(const ExportTable &table)
{
    QString text;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        text += table.cell(row, 0);
        text += LineEnd;
    }
    return text;
}

QString CommaDelimitedContents(const ExportTable &table)
{
    QString text;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        text += table.cell(row, 0);
        text += QLatin1Char(',');
    }
    text += LineEnd;
    return text;
}

QString SaveTextFile(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SaveFailureText(path, file.errorString());
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return SaveFailureText(path, reason);
    }
    if (!file.commit())
        return SaveFailureText(path, file.errorString());
    return {};
}
