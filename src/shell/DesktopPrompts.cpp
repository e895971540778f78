#include "DesktopPrompts.h"

#include "ControlText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

QWidget *ownerWindow()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The file dialog's filter from the "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" form: each
// description already names its patterns, so the descriptions alone make the Qt filter.
QString qtFilter(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList pieces = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList descriptions;
    for (qsizetype i = 0; i < pieces.size(); i += 2)
        descriptions.append(pieces.at(i));
    return descriptions.join(QLatin1String(";;"));
}

// The texts break lines with CR LF or a lone CR; a Qt label breaks only at LF. Other control
// characters (a server's text may hold any) are shown as escapes.
QString displayedText(QString text)
{
    text = EscapeControlCharacters(text, LineBreaks::Kept);
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

Prompts::Answer DesktopPrompts::message(const QString &title, const QString &text, Buttons buttons,
                                        Icon icon)
{
    QMessageBox box(boxIcon(icon), title, displayedText(text), QMessageBox::NoButton,
                    ownerWindow());
    box.setTextFormat(Qt::PlainText);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == Buttons::YesNo)
        return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::Ok;
}

std::optional<QString> DesktopPrompts::input(const QString &title, const QString &label,
                                             const QString &initial)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(ownerWindow(), title, label, QLineEdit::Normal, initial, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

QString DesktopPrompts::saveFileName(const QString &title, const QString &filter,
                                     const QString &suggested)
{
    // No overwrite question here: the callers ask their own.
    return QFileDialog::getSaveFileName(ownerWindow(), title, suggested, qtFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QStringList DesktopPrompts::openFileNames(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileNames(ownerWindow(), title, QString(), qtFilter(filter));
}

bool DesktopPrompts::openWithDefaultProgram(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
