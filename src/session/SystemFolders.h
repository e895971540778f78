#pragma once

#include "ListedFolder.h"

#include <QString>

#include <array>
#include <optional>

// The seven Gmail system folders, in the order of the window's buttons Option4 to Option10.
enum class SystemFolder { All, Drafts, Sent, Junk, Flagged, Trash, Important };

// Which listed mailbox is each system folder. Gmail names them after the account's language and
// under "[Gmail]/" or "[Google Mail]/"; only the special-use flag is stable. A server that sends
// no such flag at all is read by the prefix and the English names instead.
class SystemFolders
{
public:
    static constexpr int Count = 7;
    // Why a system folder the server does not list cannot be chosen.
    static const QString HiddenFolderText;

    SystemFolders() = default;
    explicit SystemFolders(const FolderListing &listing);

    // The full name the server listed; empty when it lists none (hidden from mail programs).
    QString mailbox(SystemFolder folder) const;
    // The server's own caption for it: the last segment of the mailbox name.
    QString caption(SystemFolder folder) const;
    bool isSystemMailbox(const QString &name) const;

    static SystemFolder at(int index); // 0 .. Count - 1, button order
    static QString flag(SystemFolder folder); // "\All"
    static std::optional<SystemFolder> byFlag(const QString &flag); // any letter case
    static QString designCaption(SystemFolder folder); // "All Mail", the window's own caption
    static std::optional<SystemFolder> byDesignCaption(const QString &caption); // any letter case

private:
    void findByFlag(const FolderListing &listing);
    void findByEnglishName(const FolderListing &listing);
    QString &slot(SystemFolder folder);

    std::array<QString, Count> m_mailboxes;
};
