#include "PasswordSource.h"

#include "CliOptions.h"

#include <QFile>

namespace {

PasswordSource Missing(const QString &problem)
{
    return PasswordSource {std::nullopt, problem};
}

// The file's first line without its line end: an editor's final newline is not part of it,
// while blanks inside or around the password are.
PasswordSource FromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Missing(QStringLiteral("cannot read the password file \"%1\": %2")
                           .arg(path, file.errorString()));
    QByteArray line = file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return Missing(QStringLiteral("the password file \"%1\" is empty").arg(path));
    return PasswordSource {QString::fromUtf8(line), {}};
}

PasswordSource FromVariable(const QString &name)
{
    const QString value = qEnvironmentVariable(name.toLocal8Bit().constData());
    if (value.isEmpty())
        return Missing(QStringLiteral("no password: the environment variable %1 is not set "
                                      "(or use --password-file FILE)")
                           .arg(name));
    return PasswordSource {value, {}};
}

} // namespace

PasswordSource PasswordSource::read(const CliOptions &options)
{
    if (!options.passwordFile.isEmpty())
        return FromFile(options.passwordFile);
    return FromVariable(options.passwordVariable);
}
