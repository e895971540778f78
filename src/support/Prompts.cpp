#include "Prompts.h"

#include "ApplicationTitle.h"
#include "ControlText.h"

#include <cstdio>

namespace {
Prompts *installed = nullptr;
bool isMuted = false;

// Answers every box with its default. Without a console it is silent (the program is closing);
// with one (the headless front end) it writes each message to standard error.
class DefaultAnswerPrompts final : public Prompts
{
public:
    explicit DefaultAnswerPrompts(bool toConsole) : m_toConsole(toConsole) { }
    Answer message(const QString &title, const QString &text, Buttons buttons, Icon) override
    {
        if (m_toConsole) {
            QString flat = text;
            flat.replace(QLatin1String("\r\n"), QLatin1String(" "))
                .replace(QLatin1Char('\r'), QLatin1Char(' '));
            std::fprintf(stderr, "%s: %s\n", qPrintable(title),
                         qPrintable(EscapeControlCharacters(flat)));
        }
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    QStringList openFileNames(const QString &, const QString &) override { return {}; }
    bool openWithDefaultProgram(const QString &) override { return false; }

private:
    bool m_toConsole;
};
} // namespace

Prompts &Prompts::current()
{
    static DefaultAnswerPrompts silent(false);
    static DefaultAnswerPrompts console(true);
    if (isMuted)
        return silent;
    return installed ? *installed : console;
}

void Prompts::install(Prompts *prompts)
{
    installed = prompts;
}

void Prompts::setMuted(bool muted)
{
    isMuted = muted;
}

bool Prompts::muted()
{
    return isMuted;
}

void Prompts::inform(const QString &text)
{
    current().message(ApplicationTitle(), text, Buttons::Ok, Icon::None);
}
