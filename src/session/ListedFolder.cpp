#include "ListedFolder.h"

#include "SystemFolders.h"
#include "imap/ImapReply.h"
#include "imap/MailboxNameCodec.h"

namespace {

// A LIST line's attributes: its special-use flag, and whether the mailbox can be opened.
ListedFolder listedFolder(const ImapValue &attributes, const QByteArray &encodedName)
{
    ListedFolder folder;
    folder.name = MailboxNameCodec::decode(encodedName);
    for (const ImapValue &attribute : attributes.items()) {
        const QString text = QString::fromLatin1(attribute.bytes());
        if (text.compare(u"\\Noselect", Qt::CaseInsensitive) == 0
            || text.compare(u"\\NonExistent", Qt::CaseInsensitive) == 0)
            folder.selectable = false;
        else if (const std::optional<SystemFolder> use = SystemFolders::byFlag(text);
                 use && folder.specialUse.isEmpty())
            folder.specialUse = SystemFolders::flag(*use);
    }
    return folder;
}

} // namespace

FolderListing ListedFoldersOf(const ImapReply &reply)
{
    FolderListing folders;
    for (const ImapResponse &response : reply.untagged) {
        if (response.name == "LIST" && response.values.size() == 3)
            folders.append(listedFolder(response.values.at(0), response.values.at(2).bytes()));
    }
    return folders;
}

QStringList ListedNames(const FolderListing &listing)
{
    QStringList names;
    names.reserve(listing.size());
    for (const ListedFolder &folder : listing)
        names.append(folder.name);
    return names;
}
