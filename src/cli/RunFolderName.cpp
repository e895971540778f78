#include "RunFolderName.h"

#include "SystemFolders.h"

namespace {

bool isInboxCaption(const QString &caption)
{
    return caption.isEmpty() || caption.compare(u"Inbox", Qt::CaseInsensitive) == 0;
}

std::optional<SystemFolder> systemFolderCaptioned(const QString &caption,
                                                  const SystemFolders &system)
{
    if (const std::optional<SystemFolder> folder = SystemFolders::byDesignCaption(caption))
        return folder;
    for (int index = 0; index < SystemFolders::Count; ++index) {
        const SystemFolder folder = SystemFolders::at(index);
        if (!system.mailbox(folder).isEmpty()
            && system.caption(folder).compare(caption, Qt::CaseInsensitive) == 0)
            return folder;
    }
    return std::nullopt;
}

} // namespace

bool RunFolderNeedsListing(const QString &label, const QString &folderCaption)
{
    return label.isEmpty() && !isInboxCaption(folderCaption);
}

std::optional<QString> RunFolderName(const QString &label, const QString &folderCaption,
                                     const FolderListing &listing, const SystemFolders &system)
{
    if (!label.isEmpty())
        return label;
    if (isInboxCaption(folderCaption))
        return QString();
    if (ListedNames(listing).contains(folderCaption))
        return folderCaption;
    const std::optional<SystemFolder> folder = systemFolderCaptioned(folderCaption, system);
    if (!folder || system.mailbox(*folder).isEmpty())
        return std::nullopt;
    return system.mailbox(*folder);
}
