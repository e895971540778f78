#pragma once

#include "OAuthClient.h"
#include "OAuthTokens.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The desktop sign-in: the system browser at the authorization endpoint, the answer received
// on 127.0.0.1 at a free port, the code exchanged for tokens. PKCE (S256) and `state` protect
// the exchange; access_type=offline asks for a refresh token, login_hint names the account.
class OAuthSignIn
{
public:
    // Opens the browser (QDesktopServices in the window, the prompts seam in tests); false when
    // no browser could be started.
    using OpenBrowser = std::function<bool(const QUrl &)>;

    OAuthSignIn(OAuthClient client, QString user, OpenBrowser openBrowser);

    // Waits in a local event loop until tokens arrive, the answer is refused, `timeoutMs`
    // pass or `cancelRequested` (asked every 100 ms) says so. nullopt with `problem` saying why.
    std::optional<OAuthTokens> run(int timeoutMs, QString *problem,
                                   const std::function<bool()> &cancelRequested = {});

private:
    OAuthClient m_client;
    QString m_user;
    OpenBrowser m_openBrowser;
};
