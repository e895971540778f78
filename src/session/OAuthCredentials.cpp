#include "OAuthCredentials.h"

#include "OAuthTokenSource.h"

OAuthCredentials::OAuthCredentials(OAuthTokenSource &tokens) : m_tokens(tokens) { }

QString OAuthCredentials::user() const
{
    return m_tokens.user();
}

std::optional<ImapSignIn> OAuthCredentials::signIn(QString *problem)
{
    const std::optional<QString> token = m_tokens.accessToken(problem);
    if (!token)
        return std::nullopt;
    return ImapSignIn {ImapSignIn::Method::XOAuth2, m_tokens.user(), *token};
}
