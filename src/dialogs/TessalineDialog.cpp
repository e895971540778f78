#include "TessalineDialog.h"

#include "PointerFeedback.h"
#include "Steps.h"
#include "WindowHelpers.h"

#include <QApplication>

TessalineDialog::TessalineDialog(const QString &formName, QWidget *parent)
    : QDialog(parent), m_formName(formName), m_pointer(new PointerFeedback(this))
{
}

int TessalineDialog::loadLook(Steps &steps, int firstStep)
{
    steps(firstStep, [&] { ApplyDialogColours(this); });
    steps(firstStep + 2, [&] { setWindowIcon(QApplication::windowIcon()); });
    return firstStep + 4;
}

QString TessalineDialog::location(const char *handler) const
{
    return m_formName + QLatin1Char('.') + QLatin1String(handler);
}
