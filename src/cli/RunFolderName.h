#pragma once

#include "ListedFolder.h"

#include <QString>

#include <optional>

class SystemFolders;

// Whether the folder a run reads by `folderCaption` can only be told from the server's listing:
// no label and not the inbox.
bool RunFolderNeedsListing(const QString &label, const QString &folderCaption);

// The mailbox a run reads, by the same rule as the window: a label wins; otherwise the inbox
// ("Inbox", the empty name), a name the server listed (exactly), or a system folder by the
// window's English caption or the server's own caption, found by its special-use flag so the
// same caption works on every account language. nullopt: the server lists no such folder.
std::optional<QString> RunFolderName(const QString &label, const QString &folderCaption,
                                     const FolderListing &listing, const SystemFolders &system);
