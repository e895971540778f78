#include "CliCredentials.h"

#include "AppPassword.h"
#include "OAuthClient.h"
#include "OAuthCredentials.h"
#include "OAuthTokenSource.h"
#include "SecretStore.h"

CliCredentials::CliCredentials() = default;
CliCredentials::CliCredentials(CliCredentials &&) noexcept = default;
CliCredentials &CliCredentials::operator=(CliCredentials &&) noexcept = default;
CliCredentials::~CliCredentials() = default;

std::optional<CliCredentials::Auth> CliCredentials::parseAuth(const QString &text)
{
    if (text == QLatin1String("password"))
        return Auth::Password;
    if (text == QLatin1String("oauth2"))
        return Auth::OAuth2;
    return std::nullopt;
}

std::optional<CliCredentials> CliCredentials::make(Auth auth, const QString &user,
                                                   const QString &password,
                                                   const QString &tokenVariable, QString *reason)
{
    CliCredentials made;
    if (auth == Auth::Password) {
        made.m_credentials =
            std::make_unique<PasswordCredentials>(user, AppPassword::normalised(password));
        return made;
    }
    made.m_secrets = std::make_unique<SecretStore>();
    made.m_tokens =
        std::make_unique<OAuthTokenSource>(OAuthClient::fromSettings(), user, *made.m_secrets);
    if (!tokenVariable.isEmpty()) {
        const QString token = qEnvironmentVariable(tokenVariable.toLocal8Bit().constData());
        if (token.isEmpty()) {
            *reason = QStringLiteral("no access token: the variable %1 is empty or not set")
                          .arg(tokenVariable);
            return std::nullopt;
        }
        made.m_tokens->useFixedAccessToken(token);
    } else if (!made.m_tokens->hasSavedSignIn()) {
        *reason = QStringLiteral("no saved Google sign-in for %1: sign in with Google once in "
                                 "the desktop program, or pass --oauth2-token-env VAR")
                      .arg(user);
        return std::nullopt;
    }
    made.m_credentials = std::make_unique<OAuthCredentials>(*made.m_tokens);
    return made;
}
