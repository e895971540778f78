#pragma once

#include "ImapCredentials.h"

#include <QString>

#include <memory>
#include <optional>

class OAuthTokenSource;
class SecretStore;

// Who a command-line run signs in as: `--auth password` (the app password, Google's spaced form
// joined) or `--auth oauth2` (the access token in `--oauth2-token-env VAR`, else the refresh
// token the desktop program saved for the user). Owns what the credentials need.
class CliCredentials
{
public:
    enum class Auth { Password, OAuth2 };

    // "password" or "oauth2"; nullopt for anything else (a usage error).
    static std::optional<Auth> parseAuth(const QString &text);

    // nullopt with `reason` (exit status 3) when oauth2 has neither a token nor a saved sign-in.
    static std::optional<CliCredentials> make(Auth auth, const QString &user,
                                              const QString &password, const QString &tokenVariable,
                                              QString *reason);

    CliCredentials(CliCredentials &&) noexcept;
    CliCredentials &operator=(CliCredentials &&) noexcept;
    ~CliCredentials();

    ImapCredentials &credentials() const { return *m_credentials; }

private:
    CliCredentials();

    std::unique_ptr<SecretStore> m_secrets;
    std::unique_ptr<OAuthTokenSource> m_tokens;
    std::unique_ptr<ImapCredentials> m_credentials;
};
