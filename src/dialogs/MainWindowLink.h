#pragma once

#include "ExtractionMode.h"

#include <QString>

class QPushButton;
class QWidget;

// What the option dialogs need of the main window, which implements it.
class MainWindowLink
{
public:
    virtual ~MainWindowLink() = default;

    // The start/stop click shared by every start button: a click on a button reading "Stop"
    // makes the stop request and restores `idleCaption`; otherwise the pre-run checks, the mode
    // flags, clearing the list, ExtractEmail and the clean-up. `location` names the handler in
    // error reports ("Form2.PushButton4_Click"); `pointerWindow` shows the hourglass.
    virtual void startStopClick(QPushButton *button, const QString &idleCaption,
                                ExtractionMode mode, const QString &location,
                                QWidget *pointerWindow) = 0;
};
