#include "ServerAddress.h"

#include <QFile>

namespace {

std::optional<quint16> portNumber(const QString &text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

std::optional<QList<QSslCertificate>> ServerAddress::readAuthorities(const QString &path,
                                                                     QString *failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *failure = QStringLiteral("cannot read the CA file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QList<QSslCertificate> certificates =
        QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (certificates.isEmpty()) {
        *failure = QStringLiteral("the CA file %1 holds no PEM certificate").arg(path);
        return std::nullopt;
    }
    return certificates;
}

std::optional<ServerAddress> ServerAddress::parseHostAndPort(const QString &text,
                                                             quint16 defaultPort)
{
    ServerAddress address;
    address.port = defaultPort;
    QString rest = text.trimmed();
    QString portText;
    bool portGiven = false;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        address.host = rest.mid(1, close - 1);
        if (close + 1 < rest.size()) {
            if (rest.at(close + 1) != u':')
                return std::nullopt;
            portText = rest.mid(close + 2);
            portGiven = true;
        }
    } else if (rest.count(u':') == 1) {
        address.host = rest.section(u':', 0, 0);
        portText = rest.section(u':', 1);
        portGiven = true; // "host:" is a port left out by mistake, not the default
    } else {
        address.host = rest;
    }
    if (portGiven) {
        const std::optional<quint16> port = portNumber(portText);
        if (!port)
            return std::nullopt;
        address.port = *port;
    }
    if (address.host.isEmpty())
        return std::nullopt;
    return address;
}

std::optional<ServerAddress> ServerAddress::resolve(const QString &host, int port,
                                                    const ServerOverride &server, QString *failure)
{
    const QString &override = server.hostAndPort;
    const quint16 defaultPort = portNumber(QString::number(port)).value_or(993);
    std::optional<ServerAddress> address =
        parseHostAndPort(override.isEmpty() ? host : override, defaultPort);
    if (!address) {
        *failure = override.isEmpty()
            ? QStringLiteral("no usable IMAP host name given (\"%1\")").arg(host)
            : QStringLiteral("the server override (TESSALINE_IMAP_HOST or --host) is not \"host\" "
                             "or \"host:port\": %1")
                  .arg(override);
        return std::nullopt;
    }
    const QString &caFile = server.caFile;
    if (!caFile.isEmpty()) {
        std::optional<QList<QSslCertificate>> authorities = readAuthorities(caFile, failure);
        if (!authorities)
            return std::nullopt;
        address->extraAuthorities = *authorities;
    }
    return address;
}
