#pragma once

#include "Prompts.h"

// The real dialogs: QMessageBox, QInputDialog, QFileDialog and QDesktopServices.
class DesktopPrompts final : public Prompts
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
