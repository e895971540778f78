#pragma once

#include <QString>

// The mailbox a run reads, by the same rule as the window: a label wins; otherwise the inbox
// ("Inbox", the empty name) or the "[Gmail]/" system folder with that caption.
QString RunFolderName(const QString &label, const QString &folderCaption);
