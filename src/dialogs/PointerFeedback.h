#pragma once

#include <QCursor>
#include <QObject>
#include <QSet>

class QWidget;

// The hand pointer over clickable controls. While the window shows the hourglass (a run or a
// connect in progress) the controls leave it alone, except the ones that stay clickable then,
// such as a start button that reads "Stop".
class PointerFeedback final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PointerFeedback)

public:
    explicit PointerFeedback(QWidget *window);

    // The hand unless the window shows the hourglass.
    void handWhenIdle(QWidget *control);
    // The hand at all times.
    void handAlways(QWidget *control);

    // HAND-M.CUR from the program folder, or the platform's pointing hand without it.
    static QCursor handPointer();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QWidget *control);
    void updatePointer(QWidget *control) const;

    QWidget *m_window;
    QCursor m_hand;
    QSet<const QObject *> m_alwaysHand;
};
