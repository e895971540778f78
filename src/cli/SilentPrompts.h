#pragma once

#include "Prompts.h"

// The command line's answer to every box: nothing is shown and nothing waits for a person;
// questions get No (so no picture is opened), and the run reports failures in its own words.
class SilentPrompts final : public Prompts
{
public:
    Answer message(const QString &title, const QString &text, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString &title, const QString &label,
                                 const QString &initial) override;
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &suggested) override;
    QStringList openFileNames(const QString &title, const QString &filter) override;
    bool openWithDefaultProgram(const QString &path) override;
};
