#pragma once

#include "FilterDialog.h"

class QGroupBox;
class QLineEdit;

// "Filter By Characters": the search text a message must hold to give rows. An empty text
// removes the filter.
class Form6 final : public FilterDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form6)

public:
    // `charactersFilter` is the main window's filter, changed by OK.
    Form6(QString &charactersFilter, QWidget *parent);

protected:
    void Form_Activate() override;

private:
    void buildControls();
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();

    QString &m_charactersFilter;
    QGroupBox *Frame2 = nullptr;
    QLineEdit *txtSearch = nullptr;
};
