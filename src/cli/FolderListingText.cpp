#include "FolderListingText.h"

#include "JsonLines.h"

namespace {

QString plainLine(const ListedFolder &folder)
{
    if (folder.specialUse.isEmpty())
        return folder.name + u'\n';
    return folder.name + u'\t' + folder.specialUse + u'\n';
}

QString jsonLine(const ListedFolder &folder)
{
    const QString use =
        folder.specialUse.isEmpty() ? QStringLiteral("null") : JsonString(folder.specialUse);
    return QStringLiteral("{\"name\": %1, \"use\": %2, \"selectable\": %3}\n")
        .arg(JsonString(folder.name), use,
             folder.selectable ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace

QString FolderListingText(const FolderListing &listing, OutputFormat format)
{
    QString text;
    for (const ListedFolder &folder : listing)
        text += format == OutputFormat::JsonLines ? jsonLine(folder) : plainLine(folder);
    return text;
}
