#pragma once

#include "ImapComponent.h"
#include "clsImapSession.h"
#include "ServerOverride.h"

#include "ProgramFolder.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <memory>

// A session lent its own component and set up the way the main window sets one up, recording
// every event it raises.
class SessionRig
{
public:
    SessionRig(const QString &user, const QString &password)
    {
        component.setServerOverride(ServerOverride::fromEnvironment());
        session->setImapComponentObject(&component);
        session->SSL = true;
        session->PORT = 993;
        session->IMAPServer = QStringLiteral("imap.gmail.com");
        session->Username = user;
        session->Password = password;
        QObject::connect(session.get(), &clsImapSession::MailExtractListing, session.get(),
                         [this](MailListing &listing) {
                             listings.append(listing);
                             if (onListing)
                                 onListing(listing);
                         });
        QObject::connect(session.get(), &clsImapSession::ScrapAddressListing, session.get(),
                         [this](const QString &address) { addresses.append(address); });
    }

    QList<int> listedNumbers() const
    {
        QList<int> numbers;
        for (const MailListing &listing : listings)
            numbers.append(listing.uID);
        return numbers;
    }

    // Entries in errorlog.txt: one per fetch.
    static int errorLogEntries()
    {
        QFile log(ProgramFilePath(QStringLiteral("errorlog.txt")));
        if (!log.open(QIODevice::ReadOnly))
            return 0;
        return int(log.readAll().count(QByteArray(52, '*') + "\r\n"));
    }

    static void clearErrorLog() { QFile::remove(ProgramFilePath(QStringLiteral("errorlog.txt"))); }

    ImapComponent component;
    std::shared_ptr<clsImapSession> session = clsImapSession::create();
    QList<MailListing> listings;
    QStringList addresses;
    std::function<void(MailListing &)> onListing;
};
