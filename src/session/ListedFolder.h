#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One mailbox of a LIST reply: its decoded name, its special-use flag ("\All", "\Sent", …; empty
// when it has none) and whether it can be opened (neither \Noselect nor \NonExistent).
struct ListedFolder
{
    QString name;
    QString specialUse;
    bool selectable = true;

    bool operator==(const ListedFolder &other) const = default;
};

using FolderListing = QList<ListedFolder>;

struct ImapReply;

// The mailboxes of a LIST reply's lines, in their order.
FolderListing ListedFoldersOf(const ImapReply &reply);
// The names alone, in listing order.
QStringList ListedNames(const FolderListing &listing);
