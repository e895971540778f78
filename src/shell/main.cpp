#include "DesktopPrompts.h"
#include "Form1.h"
#include "ProgramIcon.h"
#include "ShellCommandLine.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = AnswerCommandLineRequest(argc, argv))
        return *answered;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setOrganizationName(QStringLiteral("Marlowix"));
    QApplication::setWindowIcon(ProgramIcon()); // the option dialogs take it from here
    // Ties the windows to the installed menu entry (its icon and name in the task switcher).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.marlowix.Tessaline"));
    // The main window decides when the program ends: closing it mid-run first lets the run
    // give up, and the option dialogs may still be open.
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopPrompts prompts;
    Prompts::install(&prompts);

    Form1 window;
    window.setServerOverride(ServerOverride::fromEnvironment());
    window.Form_Load();
    window.show();
    const int result = QApplication::exec();
    Prompts::install(nullptr);
    return result;
}
