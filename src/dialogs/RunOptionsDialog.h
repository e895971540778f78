#pragma once

#include "ExtractionMode.h"
#include "TessalineDialog.h"

class MainWindowLink;
class QPushButton;

// A modeless dialog with its own start/stop button, kept for the program's life: closing it only
// hides it, so its values and a run started from it live on. Esc during its run is a click on
// "Stop".
class RunOptionsDialog : public TessalineDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunOptionsDialog)

public:
    void reject() override;

protected:
    RunOptionsDialog(MainWindowLink &link, const QString &formName, QWidget *parent);

    // The start/stop button, captioned "Start Extracting", with the hand pointer at all times.
    QPushButton *createStartButton();
    // Runs the shared start/stop sequence for this dialog's button in `mode`.
    void startOrStop(ExtractionMode mode);

    void closeEvent(QCloseEvent *event) override;

private:
    MainWindowLink &m_link;
    QPushButton *m_startButton = nullptr;
};
