#pragma once

#include "RunOptionsDialog.h"

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

// "Extract Between X and Y (Repeatedly)": the start and end markers and whether each is kept in
// the rows. Every edit is stored at once; the engine reads the values live during a run.
class Form2 final : public RunOptionsDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    explicit Form2(MainWindowLink &link, QWidget *parent = nullptr);

    QString startMarker() const; // X as typed
    QString endMarker() const; // Y as typed
    bool includeStart() const;
    bool includeEnd() const;

private:
    void buildControls();
    void connectSignals();
    void Form_Load();

    void Text1_Change();
    void Text2_Change();
    void Check1_Click();
    void Check2_Click();
    void PushButton1_Click();
    void PushButton4_Click();
    void PushButton11_Click();

    QPushButton *PushButton11 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPlainTextEdit *Text2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton1 = nullptr;
};
