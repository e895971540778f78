#include "DialogControls.h"

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
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(content);
    return frame;
}
