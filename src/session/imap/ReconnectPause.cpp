#include "ReconnectPause.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

bool ReconnectPause::sit(int milliseconds, const std::function<bool()> &stopWanted)
{
    if (stopWanted())
        return false;
    if (milliseconds <= 0)
        return true;
    QEventLoop loop;
    bool stopped = false;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (stopWanted()) {
            stopped = true;
            loop.quit();
        }
    });
    end.start(milliseconds);
    check.start(std::min(milliseconds, stopCheckMs));
    loop.exec();
    return !stopped;
}
