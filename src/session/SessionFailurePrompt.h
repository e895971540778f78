#pragma once

#include "clsImapSession.h"

#include <QString>

// Tells the person why a step of the session failed: a box of its own for each kind of failure,
// and for a refused sign-in the advice, with the offer to show how to allow the sign-in.
class SessionFailurePrompt
{
public:
    static void show(clsImapSession::FailedStep step, const QString &failure);

private:
    static QString textOfItsOwn(clsImapSession::FailedStep step, const QString &failure);
};
