#include "FolderChoice.h"

#include "Form1Controls.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "clsImapSession.h"

#include <QLineEdit>
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
    m_ui.gmailSearch->setText(GetSetting(SettingsKeys::GmailSearch));
}

void FolderChoice::save() const
{
    QList<std::pair<QString, QString>> values;
    for (int number = FirstOption; number <= LastOption; ++number)
        values.append(
            {SettingsKeys::folderOption(number), BooleanForm(m_ui.option(number)->isChecked())});
    values.append({SettingsKeys::GmailSearch, m_ui.gmailSearch->text()});
    SaveSettings(values);
}

QString FolderChoice::searchText() const
{
    return m_ui.gmailSearch->text().trimmed();
}

void FolderChoice::showServerCaptions() const
{
    for (int entry = 1; entry <= 7; ++entry) {
        const QString caption = gmailFolderNames.at(static_cast<std::size_t>(entry));
        if (caption.isEmpty())
            showHidden(entry);
        else
            showCaption(entry, caption, true);
    }
}

void FolderChoice::showDesignCaptions() const
{
    for (int entry = 1; entry <= 7; ++entry)
        showCaption(entry, DesignFolderCaptions.at(static_cast<std::size_t>(entry - 1)), true);
}

void FolderChoice::showCaption(int entry, const QString &caption, bool listed) const
{
    QRadioButton *button = m_ui.option(entry + FirstOption);
    button->setText(caption);
    button->setEnabled(listed);
    const QString why = listed ? QString() : SystemFolders::HiddenFolderText;
    button->setToolTip(why);
    button->setAccessibleDescription(why);
}

// The server does not list this system folder: the button keeps the window's caption, and says
// why it cannot be chosen.
void FolderChoice::showHidden(int entry) const
{
    showCaption(entry, DesignFolderCaptions.at(static_cast<std::size_t>(entry - 1)), false);
}

bool FolderChoice::systemFolderChosen(const QString &labelFilter) const
{
    return labelFilter.isEmpty() && !m_ui.option(FirstOption)->isChecked()
        && !chosenSystemFolder().isEmpty();
}

// The design caption of the chosen system-folder button; empty when the inbox (or nothing) is.
QString FolderChoice::chosenSystemFolder() const
{
    for (int number = FirstOption + 1; number <= LastOption; ++number)
        if (m_ui.option(number)->isChecked())
            return DesignFolderCaptions.at(static_cast<std::size_t>(number - FirstOption - 1));
    return QString();
}

std::optional<QString> FolderChoice::chosenFolderName(const QString &labelFilter) const
{
    if (!systemFolderChosen(labelFilter))
        return labelFilter;
    const SystemFolder folder = *SystemFolders::byDesignCaption(chosenSystemFolder());
    const QString mailbox = gmailSystemFolders.mailbox(folder);
    if (mailbox.isEmpty())
        return std::nullopt;
    return mailbox;
}
