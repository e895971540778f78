#include "SystemFolders.h"

#include <algorithm>

namespace {

struct FolderNames
{
    const char16_t *flag;
    const char16_t *caption;
};

constexpr std::array<FolderNames, SystemFolders::Count> Names {{
    {u"\\All", u"All Mail"},
    {u"\\Drafts", u"Drafts"},
    {u"\\Sent", u"Sent Mail"},
    {u"\\Junk", u"Spam"},
    {u"\\Flagged", u"Starred"},
    {u"\\Trash", u"Trash"},
    {u"\\Important", u"Important"},
}};

// Both parents Gmail has used for its system folders.
constexpr std::array<const char16_t *, 2> SystemParents {u"[Gmail]/", u"[Google Mail]/"};

const FolderNames &namesOf(SystemFolder folder)
{
    return Names.at(static_cast<std::size_t>(folder));
}

bool anyFlagged(const FolderListing &listing)
{
    return std::any_of(listing.cbegin(), listing.cend(), [](const ListedFolder &folder) {
        return SystemFolders::byFlag(folder.specialUse).has_value();
    });
}

// The folder whose flag or caption (`field`) is `text`, in any letter case.
std::optional<SystemFolder> matching(const QString &text, const char16_t *FolderNames::*field)
{
    for (int index = 0; index < SystemFolders::Count; ++index) {
        if (text.compare(QString::fromUtf16(Names.at(std::size_t(index)).*field),
                         Qt::CaseInsensitive)
            == 0)
            return SystemFolders::at(index);
    }
    return std::nullopt;
}

} // namespace

const QString SystemFolders::HiddenFolderText = QStringLiteral(
    "This folder is not shown to mail programs: Gmail's \"Show in IMAP\" setting is off for it.");

SystemFolders::SystemFolders(const FolderListing &listing)
{
    if (anyFlagged(listing))
        findByFlag(listing);
    else
        findByEnglishName(listing);
}

void SystemFolders::findByFlag(const FolderListing &listing)
{
    for (const ListedFolder &folder : listing) {
        const std::optional<SystemFolder> use = byFlag(folder.specialUse);
        if (use && folder.selectable && slot(*use).isEmpty())
            slot(*use) = folder.name;
    }
}

void SystemFolders::findByEnglishName(const FolderListing &listing)
{
    for (const ListedFolder &folder : listing) {
        if (!folder.selectable)
            continue;
        for (const char16_t *parent : SystemParents) {
            const QString prefix = QString::fromUtf16(parent);
            if (!folder.name.startsWith(prefix))
                continue;
            const std::optional<SystemFolder> use = byDesignCaption(folder.name.mid(prefix.size()));
            if (use && slot(*use).isEmpty())
                slot(*use) = folder.name;
        }
    }
}

QString &SystemFolders::slot(SystemFolder folder)
{
    return m_mailboxes.at(static_cast<std::size_t>(folder));
}

QString SystemFolders::mailbox(SystemFolder folder) const
{
    return m_mailboxes.at(static_cast<std::size_t>(folder));
}

QString SystemFolders::caption(SystemFolder folder) const
{
    const QString name = mailbox(folder);
    return name.mid(name.lastIndexOf(u'/') + 1);
}

bool SystemFolders::isSystemMailbox(const QString &name) const
{
    return !name.isEmpty()
        && std::find(m_mailboxes.cbegin(), m_mailboxes.cend(), name) != m_mailboxes.cend();
}

SystemFolder SystemFolders::at(int index)
{
    Q_ASSERT(index >= 0 && index < Count);
    return static_cast<SystemFolder>(index);
}

QString SystemFolders::flag(SystemFolder folder)
{
    return QString::fromUtf16(namesOf(folder).flag);
}

std::optional<SystemFolder> SystemFolders::byFlag(const QString &flag)
{
    return matching(flag, &FolderNames::flag);
}

QString SystemFolders::designCaption(SystemFolder folder)
{
    return QString::fromUtf16(namesOf(folder).caption);
}

std::optional<SystemFolder> SystemFolders::byDesignCaption(const QString &caption)
{
    return matching(caption, &FolderNames::caption);
}
