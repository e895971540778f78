#include "DialogControls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton *NamedButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QGroupBox *FrameAround(QWidget *content, const QString &name, const QString &caption,
                       QWidget *parent)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    content->setAccessibleName(caption);
    // A drop-down's popup is a list of its own, announced by the same name.
    if (auto *dropDown = qobject_cast<QComboBox *>(content))
        dropDown->view()->setAccessibleName(caption);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(content);
    return frame;
}
