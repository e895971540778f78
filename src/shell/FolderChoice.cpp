#include "FolderChoice.h"

#include "Form1Controls.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "clsImapSession.h"

#include <QRadioButton>

void FolderChoice::load() const
{
    // One after the other: a value that does not read as a boolean stops here, and the buttons
    // read before it keep their new state.
    for (int number = FirstOption; number <= LastOption; ++number) {
        const bool selected =
            ReadBooleanSetting(SettingsKeys::folderOption(number), number == FirstOption ? 1 : 0);
        m_ui.option(number)->setChecked(selected);
    }
}

void FolderChoice::save() const
{
    for (int number = FirstOption; number <= LastOption; ++number)
        SaveSetting(SettingsKeys::folderOption(number),
                    BooleanForm(m_ui.option(number)->isChecked()));
}

void FolderChoice::showServerCaptions() const
{
    for (int entry = 1; entry <= 7; ++entry)
        m_ui.option(entry + FirstOption)
            ->setText(gmailFolderNames.at(static_cast<std::size_t>(entry)));
}

void FolderChoice::showDesignCaptions() const
{
    for (int entry = 1; entry <= 7; ++entry)
        m_ui.option(entry + FirstOption)
            ->setText(DesignFolderCaptions.at(static_cast<std::size_t>(entry - 1)));
}

QString FolderChoice::chosenFolderName(const QString &labelFilter) const
{
    if (!labelFilter.isEmpty())
        return labelFilter;
    if (m_ui.option(FirstOption)->isChecked())
        return QString();
    for (int number = FirstOption + 1; number <= LastOption; ++number)
        if (m_ui.option(number)->isChecked())
            return QStringLiteral("[Gmail]/") + m_ui.option(number)->text();
    return QString();
}
