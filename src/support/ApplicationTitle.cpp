#include "ApplicationTitle.h"

namespace {
QString &storedTitle()
{
    static QString title = QString::fromLatin1(ProductName);
    return title;
}

QString withoutLastWord(const QString &text)
{
    const qsizetype space = text.lastIndexOf(QLatin1Char(' '));
    return space < 0 ? text : text.left(space);
}
} // namespace

QString TitleFromProductName(const QString &productName)
{
    // A one-word name keeps its word: dropping it would leave boxes without a title.
    QString title = withoutLastWord(productName);
    while (title.size() > 40 && title.contains(QLatin1Char(' ')))
        title = withoutLastWord(title);
    return title;
}

QString ApplicationTitle()
{
    return storedTitle();
}

void SetApplicationTitle()
{
    storedTitle() = TitleFromProductName(QString::fromLatin1(ProductName));
}
