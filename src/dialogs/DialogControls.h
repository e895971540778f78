#pragma once

#include <QString>

class QGroupBox;
class QPushButton;
class QWidget;

// Controls built the same way in every dialog, named after their design names so that tests and
// the main window can find them.

// A push button that Enter does not click unless it has the focus.
QPushButton *NamedButton(const QString &name, const QString &caption, QWidget *parent);
// A captioned frame holding `content`, which takes the caption as its accessible name.
QGroupBox *FrameAround(QWidget *content, const QString &name, const QString &caption,
                       QWidget *parent);
