#include "AppPassword.h"

#include <QRegularExpression>

QString AppPassword::normalised(const QString &password)
{
    static const QRegularExpression spacedGroups(
        QStringLiteral("^[a-z]{4} [a-z]{4} [a-z]{4} [a-z]{4}$"));
    if (!spacedGroups.match(password).hasMatch())
        return password;
    QString joined = password;
    joined.remove(u' ');
    return joined;
}
