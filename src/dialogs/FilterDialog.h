#pragma once

#include "TessalineDialog.h"

class QPushButton;

// A modal filter dialog, made for each opening and destroyed by its owner when it closes (run it
// with exec() on the stack). Closing it by any path keeps a run in progress from ending with its
// "Done." notice.
class FilterDialog : public TessalineDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FilterDialog)

public:
    void done(int result) override;

protected:
    FilterDialog(const QString &formName, QWidget *parent);

    // The "OK" (PushButton1) and "Cancel" buttons side by side, with the hand pointer.
    QLayout *createOkCancelRow(const QString &cancelName);
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // The first showing runs Form_Activate, once.
    void showEvent(QShowEvent *event) override;
    virtual void Form_Activate() = 0;

private:
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_activated = false;
};
