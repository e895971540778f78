#include "WindowEvents.h"

#include <QCoreApplication>

void LetWindowProcessEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
