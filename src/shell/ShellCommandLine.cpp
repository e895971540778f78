#include "ShellCommandLine.h"

#include "ProgramFolder.h"
#include "ProgramIcon.h"
#include "ProgramVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>

#include <cstdio>
#include <cstring>

namespace {

const char *const ProgramName = "tessaline";

bool HasArgument(int argc, char *argv[], const char *name)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

void Print(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

int PrintVersion(int argc, char *argv[])
{
    // A core application only: it knows the executable's folder and needs no display.
    QCoreApplication application(argc, argv);
    Print(VersionText(QString::fromLatin1(ProgramName)));
    return 0;
}

int PrintHelp()
{
    Print(QStringLiteral(
        "usage: tessaline [--version | --help | --check-install] [Qt options]\n"
        "Opens the main window. Qt options such as -platform offscreen are passed on.\n"
        "  --version        print the version and the folder of the runtime files\n"
        "  --help           print this text\n"
        "  --check-install  load the help pictures and the icon, print what was found;\n"
        "                   exit status 1 when one is missing or unreadable\n"
        "environment: TESSALINE_IMAP_HOST (HOST[:PORT]) and TESSALINE_CA_FILE (PEM) point the\n"
        "program at another IMAP server.\n"));
    return 0;
}

// True when `path` holds a picture this build can show.
bool ReportPicture(const QString &path)
{
    const QImage picture(path);
    Print(picture.isNull() ? QStringLiteral("unreadable picture: %1\n").arg(path)
                           : QStringLiteral("picture: %1 (%2 x %3)\n")
                                 .arg(path)
                                 .arg(picture.width())
                                 .arg(picture.height()));
    return !picture.isNull();
}

int CheckInstall(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    Print(VersionText(QString::fromLatin1(ProgramName)));
    const QDir pictures(ProgramFilePath(QStringLiteral("Pictures")));
    const QStringList names =
        pictures.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
    bool complete = !names.isEmpty();
    if (names.isEmpty())
        Print(QStringLiteral("no help pictures in %1\n").arg(pictures.path()));
    for (const QString &name : names)
        complete = ReportPicture(pictures.filePath(name)) && complete;
    if (ProgramIcon().isNull()) {
        Print(QStringLiteral("the program icon is missing\n"));
        complete = false;
    }
    return complete ? 0 : 1;
}

} // namespace

std::optional<int> AnswerCommandLineRequest(int argc, char *argv[])
{
    if (HasArgument(argc, argv, "--version"))
        return PrintVersion(argc, argv);
    if (HasArgument(argc, argv, "--help") || HasArgument(argc, argv, "-h"))
        return PrintHelp();
    if (HasArgument(argc, argv, "--check-install"))
        return CheckInstall(argc, argv);
    return std::nullopt;
}
