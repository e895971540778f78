#include "ProgramIcon.h"

#include <QIcon>

QIcon ProgramIcon()
{
    return QIcon(QStringLiteral(":/icons/tessaline.png"));
}
