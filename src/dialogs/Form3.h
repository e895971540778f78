#pragma once

#include "RunOptionsDialog.h"

class QComboBox;
class QGroupBox;
class QPushButton;

// "Extract Lines Containing These Text Sets": the list of text sets, kept in the settings store
// as one value. A run tests each line against the entry the list shows.
class Form3 final : public RunOptionsDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form3)

public:
    explicit Form3(MainWindowLink &link, QWidget *parent = nullptr);

    // The entry the list shows; empty when none is chosen.
    QString currentTextSetEntry() const;

private:
    void buildControls();
    void connectSignals();
    void Form_Load();

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton11_Click();

    QPushButton *PushButton11 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton5 = nullptr;
    QPushButton *PushButton3 = nullptr;
    QPushButton *PushButton4 = nullptr;
};
