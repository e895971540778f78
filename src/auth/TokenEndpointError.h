#pragma once

#include <QString>

class QNetworkReply;

// Why the token endpoint refused a request: its OAuth error code ("invalid_grant") and words,
// or the network's reason when no answer came.
struct TokenEndpointError
{
    QString code;
    QString description;

    // Read from a finished reply; nullopt-like empty code and description when it succeeded.
    static TokenEndpointError fromReply(QNetworkReply *reply);

    bool isError() const { return !code.isEmpty() || !description.isEmpty(); }
    // The refresh token is no longer valid (revoked, expired, password changed).
    bool needsNewSignIn() const { return code == QLatin1String("invalid_grant"); }
    // For a refresh: what the user should know and do.
    QString text() const;
    // The endpoint's own words: "invalid_grant (Bad Request)".
    QString reason() const;
};
