#include "ProgramVersion.h"

#include "ProgramFolder.h"

#include <QDir>

QString ProgramVersion()
{
    return QStringLiteral(TESSALINE_VERSION);
}

QString VersionText(const QString &programName)
{
    return programName + QLatin1Char(' ') + ProgramVersion() + QLatin1Char('\n')
        + QStringLiteral("runtime files: ") + QDir::toNativeSeparators(RuntimeFolder())
        + QLatin1Char('\n');
}
