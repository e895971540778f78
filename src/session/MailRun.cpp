#include "MailRun.h"

#include "clsImapSession.h"

#include "AppPassword.h"

std::shared_ptr<clsImapSession> MailRun::newSession(ImapComponent *component, const QString &user,
                                                    const QString &password)
{
    auto session = clsImapSession::create();
    session->setImapComponentObject(component);
    session->SSL = true;
    session->PORT = ProviderPort;
    session->IMAPServer = QString::fromLatin1(ProviderHost);
    session->Username = user;
    // Google shows an app password as four groups of four letters; pasted so, it still works.
    session->Password = AppPassword::normalised(password);
    return session;
}

void MailRun::countFolder(clsImapSession &session, const QString &folderName)
{
    session.CurrentLocation = 1;
    session.MaxRecord = session.GetTotalMessage(folderName);
}

bool MailRun::readFolder(clsImapSession &session, const QString &folderName)
{
    if (session.MaxRecord <= 0)
        return false;
    session.StartMailExtraction(folderName);
    return true;
}
