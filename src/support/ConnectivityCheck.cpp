#include "ConnectivityCheck.h"

#include "CommandRunner.h"
#include "Prompts.h"

#include <QtGlobal>

namespace {
const char *const DefaultPingHost = "www.google.com";

QString environmentText(const char *name)
{
    return qEnvironmentVariable(name).trimmed();
}

QString pingHost()
{
    const QString host = environmentText("TESSALINE_PING_HOST");
    return host.isEmpty() ? QString::fromLatin1(DefaultPingHost) : host;
}

QString replyMarker()
{
#ifdef Q_OS_WIN
    return QStringLiteral("bytes=");
#else
    return QStringLiteral("bytes from");
#endif
}
} // namespace

QString OnlineCheckCommand()
{
    const QString command = environmentText("TESSALINE_PING_COMMAND");
    if (!command.isEmpty())
        return command;
#ifdef Q_OS_WIN
    return QStringLiteral("ping %1 -n 1").arg(pingHost());
#else
    // One echo request, and no more than three seconds for its reply.
    return QStringLiteral("ping -c 1 -W 3 %1").arg(pingHost());
#endif
}

void CheckOnline()
{
    CheckOnline(OnlineCheckCommand(), replyMarker());
}

void CheckOnline(const QString &commandLine, const QString &replyMarker, int timeoutMs)
{
    // A missing ping tool gives the start failure text, which holds no marker either.
    const QString output = RunCommandCaptureOutput(commandLine, true, false, true, timeoutMs);
    if (output.isEmpty() || !output.contains(replyMarker, Qt::CaseInsensitive))
        Prompts::inform(QStringLiteral("You must be online to use this software accurately."));
}
