#include "WindowHelpers.h"

#include "ProgramFolder.h"
#include "StepFailure.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

namespace {
// Plain frames only: text boxes and lists derive from QFrame too but keep their own colours.
bool isPlainFrame(const QWidget *widget)
{
    return widget->metaObject() == &QFrame::staticMetaObject;
}

bool takesDialogColour(const QWidget *widget)
{
    return qobject_cast<const QRadioButton *>(widget) || qobject_cast<const QCheckBox *>(widget)
        || qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QLabel *>(widget)
        || isPlainFrame(widget);
}

void paintBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QString readStyleSheet(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepFailure(file.errorString());
    return QString::fromUtf8(file.readAll());
}
} // namespace

void ApplyDialogColours(QWidget *window)
{
    const QColor face = window->palette().color(QPalette::Button);
    paintBackground(window, face);
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children)
        if (!child->isWindow() && takesDialogColour(child))
            paintBackground(child, face);
}

void ApplyVisualSkin(QWidget *mainWindow)
{
    const QString path = ProgramFilePath(QStringLiteral("x/o.cjs"));
    if (!QFileInfo(path).isFile())
        return;
    mainWindow->setStyleSheet(readStyleSheet(path));
    ApplyDialogColours(mainWindow);
}
