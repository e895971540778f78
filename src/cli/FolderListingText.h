#pragma once

#include "CliOptions.h"
#include "ListedFolder.h"

#include <QString>

// What --list-folders prints: one line per mailbox, in server order. As lines: the name, then a
// tab and its special-use flag where it has one. As JSON lines:
// {"name": …, "use": "\\All" or null, "selectable": true or false}.
QString FolderListingText(const FolderListing &listing, OutputFormat format);
