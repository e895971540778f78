#include "ConnectSequence.h"

#include "DesktopGoogleSignIn.h"
#include "FilterPanel.h"
#include "FolderChoice.h"
#include "Form1.h"
#include "ImapComponent.h"
#include "MailRun.h"
#include "OAuthClient.h"
#include "OAuthCredentials.h"
#include "OAuthTokenSource.h"
#include "Prompts.h"
#include "ProgressDisplay.h"
#include "ResultListModel.h"
#include "SecretStore.h"
#include "SignInBoxes.h"
#include "SignInChoice.h"
#include "Steps.h"
#include "WindowPointer.h"
#include "clsImapSession.h"

#include <QPushButton>

void ConnectSequence::click()
{
    if (m_connecting) {
        // A second click while signing in gives up the sign-in.
        if (m_window.oSession)
            m_window.oSession->AbortProcess = true;
        return;
    }
    m_connecting = true;
    Steps steps(QStringLiteral("Form1.PushButton17_Click"));
    steps(100, [&] { m_window.m_pointer->beginBusy(&m_window); });
    if (m_window.m_ui.PushButton17->text() == ConnectCaption)
        connectToServer(steps);
    else
        disconnectFromServer(steps);
    m_connecting = false;
    m_window.endProgramWhenIdle();
}

void ConnectSequence::connectToServer(Steps &steps)
{
    steps(102, [&] { m_window.m_progress->setText(QStringLiteral("Connecting to Gmail...")); });
    if (!m_window.oSession) {
        steps(103, [&] {
            if (!googleChosen())
                m_window.m_signIn->rememberPasswordForSignIn();
        });
        steps(104, [&] { m_window.oSession = newSession(); });
        bool signedIn = false;
        steps(106, [&] { signedIn = m_window.oSession->Connect(); });
        if (!signedIn) {
            finishDisconnect(steps);
            return;
        }
        showConnected(steps);
    }
    steps(120, [&] { m_window.m_ui.PushButton17->setText(QStringLiteral("Disconnect")); });
    steps(122, [&] { m_window.m_pointer->endBusy(&m_window); });
}

// After a sign-in: the provider's folder names and the stored filters.
void ConnectSequence::showConnected(Steps &steps)
{
    using Filter = FilterPanel::Filter;
    steps(108, [&] { m_window.oSession->EnumMailFolders(); });
    steps(110, [&] { m_window.m_folders->showServerCaptions(); });
    steps(112, [&] { m_window.m_filters->loadStored(); });
    steps(114, [&] { m_window.m_filters->showStatusIfSet(Filter::Characters); });
    steps(116, [&] { m_window.m_filters->showStatusIfSet(Filter::Label); });
    steps(118, [&] { m_window.m_progress->setText(QStringLiteral("Connected to Gmail.")); });
}

void ConnectSequence::disconnectFromServer(Steps &steps)
{
    steps(130,
          [&] { m_window.m_progress->setText(QStringLiteral("Disconnecting from Gmail...")); });
    steps(132, [&] { m_window.m_signIn->clearUnlessRemembered(); });
    steps(134, [&] { m_window.m_imapComponent->CloseConnection(); });
    finishDisconnect(steps);
}

// The end of a disconnect, also taken by a failed sign-in.
void ConnectSequence::finishDisconnect(Steps &steps)
{
    steps(136, [&] { m_window.m_results->clear(); });
    steps(138, [&] { m_window.m_folders->showDesignCaptions(); });
    steps(140, [&] { m_window.m_ui.PushButton17->setText(ConnectCaption); });
    steps(142, [&] { m_window.m_signIn->showStoredRememberChoice(); });
    steps(144, [&] { m_window.oSession.reset(); });
    steps(146, [&] { m_window.m_filters->showNone(); });
    steps(148, [&] { m_window.m_progress->setText(QStringLiteral("Disconnected from Gmail.")); });
    steps(150, [&] { m_window.m_pointer->endBusy(&m_window); });
}

bool ConnectSequence::googleChosen() const
{
    const SignInChoice *choice = m_window.m_ui.signInChoice;
    return choice && choice->method() == SignInChoice::Method::Google;
}

bool ConnectSequence::connectedElseSay() const
{
    if (m_window.isConnected())
        return true;
    Prompts::inform(QStringLiteral("Please connect first (Step 1) before using this feature."));
    return false;
}

namespace {

// A token source and the credentials over it, kept alive together for as long as a connection
// holds the credentials.
struct GoogleSignIn
{
    GoogleSignIn(const QString &user, SecretStore &secrets)
        : tokens(OAuthClient::fromSettings(), user, secrets), credentials(tokens)
    {
    }

    OAuthTokenSource tokens;
    OAuthCredentials credentials;
};

} // namespace

// Signs in with Google in the browser unless a saved sign-in serves; a second click on the
// connect button cancels. When it fails the user is told why, and the connection's sign-in then
// fails with the same reason.
std::shared_ptr<ImapCredentials>
ConnectSequence::googleCredentials(const std::weak_ptr<clsImapSession> &session)
{
    if (!m_secrets)
        m_secrets = std::make_unique<SecretStore>();
    auto google = std::make_shared<GoogleSignIn>(m_window.m_signIn->user(), *m_secrets);
    const auto cancelled = [session] {
        const auto running = session.lock();
        return !running || running->AbortProcess;
    };
    QString problem;
    QString notice;
    if (DesktopGoogleSignIn::ensureSignedIn(google->tokens, cancelled, &problem, &notice)) {
        if (!notice.isEmpty())
            Prompts::inform(notice);
    } else if (!problem.isEmpty() && !cancelled()) {
        Prompts::inform(problem);
    }
    return std::shared_ptr<ImapCredentials>(google, &google->credentials);
}

ConnectSequence::ConnectSequence(Form1 &window) : m_window(window) { }

ConnectSequence::~ConnectSequence() = default;

// A session lent the window's component, signed in as the boxes say (or with Google), reporting
// to the window.
std::shared_ptr<clsImapSession> ConnectSequence::newSession()
{
    auto session = MailRun::newSession(m_window.m_imapComponent.get(), m_window.m_signIn->user(),
                                       m_window.m_signIn->password());
    if (googleChosen())
        session->Credentials = googleCredentials(session);
    QObject::connect(session.get(), &clsImapSession::ScrapProgress, &m_window,
                     &Form1::oSession_ScrapProgress);
    QObject::connect(session.get(), &clsImapSession::MailExtractListing, &m_window,
                     &Form1::oSession_MailExtractListing);
    QObject::connect(session.get(), &clsImapSession::ServerSlowing, &m_window,
                     [window = &m_window] { window->m_progress->showServerSlowing(); });
    return session;
}
