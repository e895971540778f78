#include "WindowEvents.h"

#include <QCoreApplication>
#include <QElapsedTimer>

void LetWindowProcessEvents()
{
    if (!QCoreApplication::instance())
        return;
    static QElapsedTimer sinceLastTime;
    if (sinceLastTime.isValid() && sinceLastTime.elapsed() < WindowEventsIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceLastTime.start();
}
