#pragma once

#include <QDialog>

class PointerFeedback;
class Steps;

// What every option and filter dialog shares: the dialog background colour, the application icon
// and the hand pointer over its buttons.
class TessalineDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TessalineDialog)

protected:
    // `formName` names the dialog in error reports ("Form2").
    TessalineDialog(const QString &formName, QWidget *parent);

    // Runs the shared load steps from `firstStep`; returns the number of the step after them.
    int loadLook(Steps &steps, int firstStep);

    // "<form>.<handler>", the location of a handler in error reports.
    QString location(const char *handler) const;

    PointerFeedback *pointerFeedback() const { return m_pointer; }

private:
    QString m_formName;
    PointerFeedback *m_pointer;
};
