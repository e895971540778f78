#include "WindowPointer.h"

#include "PointerFeedback.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {
const char *const RoleProperty = "tessalinePointerRole";
} // namespace

WindowPointer::WindowPointer(QWidget *window)
    : QObject(window), m_window(window), m_hand(Qt::PointingHandCursor)
{
    m_window->installEventFilter(this);
    m_window->setProperty(RoleProperty, static_cast<int>(Role::Plain));
}

void WindowPointer::loadHandPicture()
{
    m_hand = PointerFeedback::handPointer();
}

void WindowPointer::watch(QWidget *control, Role role)
{
    control->setProperty(RoleProperty, static_cast<int>(role));
    control->installEventFilter(this);
}

void WindowPointer::showBusy()
{
    m_busy = true;
    apply(Shape::Busy);
}

void WindowPointer::showDefault()
{
    m_busy = false;
    apply(Shape::Default);
}

void WindowPointer::beginBusy(QWidget *pointerWindow)
{
    ++m_busyDepth;
    if (pointerWindow && pointerWindow != m_window)
        pointerWindow->setCursor(Qt::WaitCursor);
    showBusy();
}

void WindowPointer::endBusy(QWidget *pointerWindow)
{
    m_busyDepth = std::max(0, m_busyDepth - 1);
    if (pointerWindow && pointerWindow != m_window)
        pointerWindow->unsetCursor();
    if (m_busyDepth == 0)
        showDefault();
}

bool WindowPointer::eventFilter(QObject *watched, QEvent *event)
{
    const QVariant role = watched->property(RoleProperty);
    if (!role.isValid())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
        pointerEntered(static_cast<Role>(role.toInt()));
    else if (event->type() == QEvent::Leave && watched != m_window)
        pointerEntered(Role::Plain); // what surrounds a control is background or a frame
    return QObject::eventFilter(watched, event);
}

void WindowPointer::pointerEntered(Role role)
{
    if (role == Role::HandEvenWhenBusy)
        apply(Shape::Hand);
    else if (m_busy)
        apply(Shape::Busy); // back to the hourglass after a start button showed the hand
    else
        apply(role == Role::Hand ? Shape::Hand : Shape::Default);
}

void WindowPointer::apply(Shape shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    switch (shape) {
    case Shape::Default:
        m_window->unsetCursor();
        break;
    case Shape::Hand:
        m_window->setCursor(m_hand);
        break;
    case Shape::Busy:
        m_window->setCursor(Qt::WaitCursor);
        break;
    }
}
