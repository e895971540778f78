#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Every message box, question, input box, file dialog and "open with the default program" goes
// through this seam, so tests can script the answers and check every box that was shown.
class Prompts
{
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Warning, Information, Question };
    enum class Answer { Ok, Yes, No };

    virtual ~Prompts() = default;

    virtual Answer message(const QString &title, const QString &text, Buttons buttons,
                           Icon icon) = 0;
    // Empty optional when the user cancels.
    virtual std::optional<QString> input(const QString &title, const QString &label,
                                         const QString &initial = {}) = 0;
    // Empty text when the user cancels.
    virtual QString saveFileName(const QString &title, const QString &filter,
                                 const QString &suggested = {}) = 0;
    virtual QStringList openFileNames(const QString &title, const QString &filter) = 0;
    virtual bool openWithDefaultProgram(const QString &path) = 0;

    // The process-wide instance. Until a front end installs its own (the desktop dialogs, a test
    // script), messages go to standard error and every question gets its default answer.
    static Prompts &current();
    // Installs `prompts` (not owned) as the current instance; nullptr restores the default.
    static void install(Prompts *prompts);
    // While set, boxes are dropped silently (the program is closing).
    static void setMuted(bool muted);
    static bool muted();

    // Convenience: an OK box with no icon, titled with the application title.
    static void inform(const QString &text);
};
