#pragma once

#include <QString>

#include <optional>

struct Form1Controls;

// The eight folder buttons, "Option3" to "Option10": which one is chosen, what they are called,
// and the server folder a run reads.
class FolderChoice
{
public:
    explicit FolderChoice(const Form1Controls &ui) : m_ui(ui) { }

    void load() const;
    void save() const;
    // The server's own names of its system folders, once signed in; a folder it does not list
    // leaves its button disabled.
    void showServerCaptions() const;
    // The window's own captions, while not connected.
    void showDesignCaptions() const;
    // Whether the run's folder is a system folder, which only the server's listing can name.
    bool systemFolderChosen(const QString &labelFilter) const;
    // The label filter wins; the first button is the inbox (empty name); the others open the
    // mailbox the listing found for their special-use flag. nullopt: the server hides it.
    std::optional<QString> chosenFolderName(const QString &labelFilter) const;
    // The optional server-side search a run is narrowed to; empty: every message.
    QString searchText() const;

private:
    void showCaption(int entry, const QString &caption, bool listed) const;
    void showHidden(int entry) const;
    QString chosenSystemFolder() const;

    static constexpr int FirstOption = 3;
    static constexpr int LastOption = 10;

    const Form1Controls &m_ui;
};
