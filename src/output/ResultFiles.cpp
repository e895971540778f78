#include "ResultFiles.h"

#include "TargetFile.h"

#include <QDir>

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
    TargetFile file(path);
    if (!file.open() || !file.write(text.toUtf8()) || !file.commit())
        return SaveFailureText(path, file.errorString());
    return {};
}
