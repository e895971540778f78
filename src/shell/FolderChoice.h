#pragma once

#include <QString>

struct Form1Controls;

// The eight folder buttons, "Option3" to "Option10": which one is chosen, what they are called,
// and the server folder a run reads.
class FolderChoice
{
public:
    explicit FolderChoice(const Form1Controls &ui) : m_ui(ui) { }

    void load() const;
    void save() const;
    // The provider's folder names, once signed in.
    void showServerCaptions() const;
    // The window's own captions, while not connected.
    void showDesignCaptions() const;
    // The label filter wins; the first button is the inbox (empty name); the others are
    // provider folders under "[Gmail]/".
    QString chosenFolderName(const QString &labelFilter) const;

private:
    static constexpr int FirstOption = 3;
    static constexpr int LastOption = 10;

    const Form1Controls &m_ui;
};
