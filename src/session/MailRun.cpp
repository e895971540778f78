#include "MailRun.h"

#include "clsImapSession.h"

std::shared_ptr<clsImapSession> MailRun::newSession(ImapComponent *component, const QString &user,
                                                    const QString &password)
{
    auto session = clsImapSession::create();
    session->setImapComponentObject(component);
    session->SSL = true;
    session->PORT = ProviderPort;
    session->IMAPServer = QString::fromLatin1(ProviderHost);
    session->Username = user;
    session->Password = password;
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
