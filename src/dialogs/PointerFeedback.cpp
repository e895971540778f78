#include "PointerFeedback.h"

#include "ProgramFolder.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>

namespace {
// A .cur file is an icon directory whose first entry carries the hot spot at bytes 10 and 12.
QPoint hotSpotOf(const QByteArray &cursorFile)
{
    if (cursorFile.size() < 14)
        return {0, 0};
    const auto *bytes = reinterpret_cast<const uchar *>(cursorFile.constData());
    return {qFromLittleEndian<quint16>(bytes + 10), qFromLittleEndian<quint16>(bytes + 12)};
}
} // namespace

PointerFeedback::PointerFeedback(QWidget *window)
    : QObject(window), m_window(window), m_hand(handPointer())
{
}

void PointerFeedback::handWhenIdle(QWidget *control)
{
    watch(control);
}

void PointerFeedback::handAlways(QWidget *control)
{
    m_alwaysHand.insert(control);
    watch(control);
}

QCursor PointerFeedback::handPointer()
{
    QFile file(ProgramFilePath(QStringLiteral("HAND-M.CUR")));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray content = file.readAll();
        QPixmap picture;
        // A picture that does not load leaves the platform's hand in its place.
        if (picture.loadFromData(content, "CUR")) {
            const QPoint hotSpot = hotSpotOf(content);
            return QCursor(picture, hotSpot.x(), hotSpot.y());
        }
    }
    return QCursor(Qt::PointingHandCursor);
}

bool PointerFeedback::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
        updatePointer(static_cast<QWidget *>(watched));
    return QObject::eventFilter(watched, event);
}

void PointerFeedback::watch(QWidget *control)
{
    control->setMouseTracking(true);
    control->installEventFilter(this);
    updatePointer(control);
}

void PointerFeedback::updatePointer(QWidget *control) const
{
    const QCursor *override = QGuiApplication::overrideCursor();
    const bool hourglass = m_window->cursor().shape() == Qt::WaitCursor
        || (override && override->shape() == Qt::WaitCursor);
    if (hourglass && !m_alwaysHand.contains(control))
        control->unsetCursor(); // shows the window's hourglass
    else
        control->setCursor(m_hand);
}
