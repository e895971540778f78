#pragma once

#include <QDateTime>
#include <QString>

// What the token endpoint handed out.
struct OAuthTokens
{
    QString accessToken;
    QString refreshToken; // empty when the endpoint kept the old one
    QDateTime expiresAt; // invalid when the endpoint did not say

    // Still usable for `marginSeconds` more (a sign-in takes a moment).
    bool isFresh(int marginSeconds = 60) const
    {
        if (accessToken.isEmpty())
            return false;
        return !expiresAt.isValid()
            || QDateTime::currentDateTimeUtc().addSecs(marginSeconds) < expiresAt;
    }
};
