#include "DesktopGoogleSignIn.h"

#include "OAuthClient.h"
#include "OAuthTokenSource.h"

#include <QDesktopServices>

bool DesktopGoogleSignIn::ensureSignedIn(OAuthTokenSource &tokens,
                                         const std::function<bool()> &cancelRequested,
                                         QString *problem, QString *notice,
                                         OAuthSignIn::OpenBrowser openBrowser)
{
    if (tokens.hasSavedSignIn())
        return true;
    const OAuthClient client = OAuthClient::fromSettings();
    if (!client.isConfigured()) {
        *problem = QStringLiteral("\"Sign in with Google\" needs your own OAuth client: click "
                                  "\"Client...\" beside it and enter its client ID.");
        return false;
    }
    if (!openBrowser)
        openBrowser = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    const std::optional<OAuthTokens> signedIn =
        OAuthSignIn(client, tokens.user(), openBrowser)
            .run(browserTimeoutMs, problem, cancelRequested);
    if (!signedIn)
        return false;
    tokens.accept(*signedIn, notice);
    return true;
}
