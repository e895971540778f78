#pragma once

#include "MainWindowLink.h"

#include <QList>
#include <QPushButton>

// Stands in for the main window's start/stop sequence: a click on an idle button starts a run
// that stays in progress until the test ends it; a click on "Stop" is a stop request.
class FakeMainWindowLink final : public MainWindowLink
{
public:
    struct Click
    {
        QPushButton *button;
        QString idleCaption;
        ExtractionMode mode;
        QString location;
        QWidget *pointerWindow;
        bool stopRequest;
    };

    void startStopClick(QPushButton *button, const QString &idleCaption, ExtractionMode mode,
                        const QString &location, QWidget *pointerWindow) override
    {
        const bool stop = button->text() == QLatin1String("Stop");
        clicks.append({button, idleCaption, mode, location, pointerWindow, stop});
        button->setText(stop ? idleCaption : QStringLiteral("Stop"));
    }

    QList<Click> clicks;
};
