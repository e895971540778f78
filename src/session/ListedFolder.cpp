#include "ListedFolder.h"

QStringList ListedNames(const FolderListing &listing)
{
    QStringList names;
    names.reserve(listing.size());
    for (const ListedFolder &folder : listing)
        names.append(folder.name);
    return names;
}
