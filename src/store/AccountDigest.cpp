#include "AccountDigest.h"

#include <QCryptographicHash>

QString AccountDigest(const QString &account)
{
    const QByteArray name = account.trimmed().toLower().toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(32));
}
