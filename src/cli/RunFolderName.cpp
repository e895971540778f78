#include "RunFolderName.h"

QString RunFolderName(const QString &label, const QString &folderCaption)
{
    if (!label.isEmpty())
        return label;
    if (folderCaption.isEmpty() || folderCaption.compare(u"Inbox", Qt::CaseInsensitive) == 0)
        return {};
    return QStringLiteral("[Gmail]/") + folderCaption;
}
