#include "FilterDialog.h"

#include "DialogControls.h"
#include "PointerFeedback.h"
#include "RunFlags.h"

#include <QHBoxLayout>
#include <QPushButton>

FilterDialog::FilterDialog(const QString &formName, QWidget *parent)
    : TessalineDialog(formName, parent)
{
    setModal(true);
}

void FilterDialog::done(int result)
{
    suppressDoneNotice = true;
    QDialog::done(result);
}

QLayout *FilterDialog::createOkCancelRow(const QString &cancelName)
{
    m_ok = NamedButton(QStringLiteral("PushButton1"), QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = NamedButton(cancelName, QStringLiteral("Cancel"), this);
    pointerFeedback()->handWhenIdle(m_ok);
    pointerFeedback()->handWhenIdle(m_cancel);
    auto *row = new QHBoxLayout;
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    return row;
}

void FilterDialog::showEvent(QShowEvent *event)
{
    TessalineDialog::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    Form_Activate();
}
