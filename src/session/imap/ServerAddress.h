#pragma once

#include "ServerOverride.h"

#include <QList>
#include <QSslCertificate>
#include <QString>

#include <optional>

// Where to connect and whom to trust beyond the system's certificate authorities.
struct ServerAddress
{
    QString host;
    quint16 port = 993;
    QList<QSslCertificate> extraAuthorities;

    // The address for `host`:`port`, with the override's address replacing both and its CA file
    // adding trusted authorities. nullopt with `failure` set when either cannot be used.
    static std::optional<ServerAddress> resolve(const QString &host, int port,
                                                const ServerOverride &server, QString *failure);
    // Splits "host", "host:port" or "[v6]:port"; nullopt when the port is not a port number.
    static std::optional<ServerAddress> parseHostAndPort(const QString &text, quint16 defaultPort);
    // The certificates of a PEM file; nullopt with `failure` naming the file when it cannot be
    // read or holds none.
    static std::optional<QList<QSslCertificate>> readAuthorities(const QString &path,
                                                                 QString *failure);
};
