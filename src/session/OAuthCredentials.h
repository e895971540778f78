#pragma once

#include "ImapCredentials.h"

class OAuthTokenSource;

// Signs in with AUTHENTICATE XOAUTH2, asking the token source for an access token at every
// sign-in and reconnect (it refreshes an expired one).
class OAuthCredentials final : public ImapCredentials
{
public:
    explicit OAuthCredentials(OAuthTokenSource &tokens);

    QString user() const override;
    std::optional<ImapSignIn> signIn(QString *problem) override;

private:
    OAuthTokenSource &m_tokens;
};
