#pragma once

#include "OAuthSignIn.h"

#include <QString>

#include <functional>

class OAuthTokenSource;

// What the window does before an XOAUTH2 sign-in: when no Google sign-in is saved for the user,
// runs the browser sign-in (the system browser unless `openBrowser` says otherwise) and keeps its
// tokens; says so when the secret store can only keep them for this session.
class DesktopGoogleSignIn
{
public:
    static constexpr int browserTimeoutMs = 5 * 60 * 1000;

    // False with `problem` when there is no client ID, or the sign-in failed or was cancelled.
    // `notice` is set when the sign-in is kept only until the program closes.
    static bool ensureSignedIn(OAuthTokenSource &tokens,
                               const std::function<bool()> &cancelRequested, QString *problem,
                               QString *notice, OAuthSignIn::OpenBrowser openBrowser = {});
};
