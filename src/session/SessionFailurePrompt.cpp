#include "SessionFailurePrompt.h"

#include "SignInFailureText.h"

#include "ApplicationTitle.h"
#include "ProgramFolder.h"
#include "Prompts.h"

// Empty for a refused sign-in (or nothing failed): that one gets the sign-in advice.
QString SessionFailurePrompt::textOfItsOwn(clsImapSession::FailedStep step, const QString &failure)
{
    using Step = clsImapSession::FailedStep;
    switch (step) {
    case Step::Connection:
        return SignInFailureText::connection(failure);
    case Step::Identification:
        return SignInFailureText::identification(failure);
    case Step::Mailbox:
        return SignInFailureText::mailbox(failure);
    case Step::Listing:
        return SignInFailureText::listing(failure);
    case Step::Search:
        return QStringLiteral("The search could not be run: %1").arg(failure);
    case Step::None:
    case Step::SignIn:
        break;
    }
    return {};
}

void SessionFailurePrompt::show(clsImapSession::FailedStep step, const QString &failure)
{
    Prompts &prompts = Prompts::current();
    if (const QString text = textOfItsOwn(step, failure); !text.isEmpty()) {
        prompts.message(ApplicationTitle(), text, Prompts::Buttons::Ok, Prompts::Icon::Warning);
        return;
    }
    const Prompts::Answer answer =
        prompts.message(ApplicationTitle(), SignInFailureText::box(failure),
                        Prompts::Buttons::YesNo, Prompts::Icon::None);
    if (answer != Prompts::Answer::Yes)
        return;
    prompts.openWithDefaultProgram(
        ProgramFilePath(QStringLiteral("Pictures/less-secure-apps1.jpg")));
    prompts.openWithDefaultProgram(
        ProgramFilePath(QStringLiteral("Pictures/less-secure-apps2.jpg")));
}
