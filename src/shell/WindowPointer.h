#pragma once

#include <QCursor>
#include <QObject>

class QWidget;

// The pointer of the whole main window: default, hand over buttons, hourglass while busy.
// Entering a watched control picks the pointer for it; while busy only the controls marked
// HandEvenWhenBusy change it (the start buttons read "Stop" then and stay clickable).
class WindowPointer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowPointer)

public:
    enum class Role { Plain, Hand, HandEvenWhenBusy };
    enum class Shape { Default, Hand, Busy };

    explicit WindowPointer(QWidget *window);

    // Loads the hand picture from HAND-M.CUR in the program folder when it is there.
    void loadHandPicture();
    void watch(QWidget *control, Role role);

    void showBusy();
    void showDefault();
    bool busy() const { return m_busy; }

    // Busy spans nest (a copy during a run, a run inside a dialog's click): the hourglass stays
    // until the last one ends. Another window than the main one shows it as well.
    void beginBusy(QWidget *pointerWindow);
    void endBusy(QWidget *pointerWindow);
    bool inBusySpan() const { return m_busyDepth > 0; }
    Shape shape() const { return m_shape; }
    const QCursor &handCursor() const { return m_hand; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply(Shape shape);
    void pointerEntered(Role role);

    QWidget *m_window;
    QCursor m_hand;
    Shape m_shape = Shape::Default;
    bool m_busy = false;
    int m_busyDepth = 0;
};
