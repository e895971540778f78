#pragma once

#include "FilterDialog.h"

class QComboBox;
class QGroupBox;

// "Filter By Label": picks one of the account's labels as the folder a run reads. OK with no
// label chosen clears the filter.
class Form5 final : public FilterDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form5)

public:
    // `labelFilter` is the main window's filter, changed by OK.
    Form5(QString &labelFilter, QWidget *parent);

protected:
    void Form_Activate() override;

private:
    void buildControls();
    void Form_Load();
    void PushButton1_Click();
    void PushButton3_Click();

    QString &m_labelFilter;
    QGroupBox *Frame2 = nullptr;
    QComboBox *Combo1 = nullptr;
};
