#include "CliFailure.h"

#include "CliOptions.h"
#include "ControlText.h"

void CliFailure::print(std::FILE *stream, const QString &text)
{
    std::fprintf(stream, "tessaline-cli: %s\n", EscapeControlCharacters(text).toUtf8().constData());
}

ExitCode CliFailure::fail(ExitCode code, const QString &text)
{
    print(stderr, text);
    return code;
}

ExitCode CliFailure::usage(const QString &problem)
{
    print(stderr, problem);
    std::fputs(CliUsageText().toUtf8().constData(), stderr);
    return ExitCode::Usage;
}

ExitCode CliFailure::listingFailed(const QString &host, const QString &reason)
{
    return fail(ExitCode::ConnectionFailed,
                QStringLiteral("%1 did not list its folders: %2").arg(host, reason));
}

ExitCode CliFailure::ofSession(const Session &session)
{
    const QString &reason = session.reason;
    switch (session.step) {
    case clsImapSession::FailedStep::Connection:
        // The component's text already names the address and what went wrong there.
        return fail(ExitCode::ConnectionFailed,
                    QStringLiteral("connection failed: %1").arg(reason));
    case clsImapSession::FailedStep::Identification:
        return fail(ExitCode::ConnectionFailed,
                    QStringLiteral("%1 gave no usable answer to the identification command: %2")
                        .arg(session.host, reason));
    case clsImapSession::FailedStep::SignIn:
        return fail(ExitCode::SignInFailed,
                    QStringLiteral("sign-in as %1 failed: %2").arg(session.user, reason));
    case clsImapSession::FailedStep::Mailbox:
        return fail(
            ExitCode::FolderNotSelectable,
            QStringLiteral("cannot select the folder \"%1\": %2").arg(session.mailbox, reason));
    case clsImapSession::FailedStep::Listing:
        return listingFailed(session.host, reason);
    case clsImapSession::FailedStep::Search:
        return fail(ExitCode::Usage, QStringLiteral("the search could not be run: %1").arg(reason));
    case clsImapSession::FailedStep::None:
        break;
    }
    return fail(ExitCode::Failed, QStringLiteral("the session failed: %1").arg(reason));
}
