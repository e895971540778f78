#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// What a test needs to reach the Dovecot server that the CTest fixture started: read from
// fixture.env in TESSALINE_FIXTURE_DIR. A missing or incomplete fixture ends the test process
// with a message saying how to start it, so no test silently passes without a server.
class DovecotFixture
{
public:
    DovecotFixture();

    QString host() const { return m_host; }
    int port() const { return m_port; }
    // "host:port", the form TESSALINE_IMAP_HOST takes.
    QString hostAndPort() const;
    // The CA that signed the server certificate, and one that signed nothing the server shows.
    QString caFile() const { return m_caFile; }
    QString untrustedCaFile() const { return m_untrustedCaFile; }
    QString user() const { return m_user; }
    QString password() const { return m_password; }
    // Same mail; the password holds a double quote, a backslash, a space and non-ASCII.
    QString quirkyUser() const { return m_quirkyUser; }
    QString quirkyPassword() const { return m_quirkyPassword; }
    QString logFile() const { return m_logFile; }
    // An account whose system folders follow one of Gmail's other naming trees, password as the
    // main account's, messages as the main account's: "googlemail" ("[Google Mail]/…", "Bin"),
    // "french" ("[Gmail]/Tous les messages", …), "hidden" (no "[Gmail]/Sent Mail").
    QString treeUser(const QString &tree) const { return m_treeUsers.value(tree); }

    // Seeded messages of `mailbox` ("INBOX", "[Gmail]/Sent Mail", "Événements"): the .eml files
    // in sequence-number order, so entry i - 1 is message i on the server.
    QStringList seedFiles(const QString &mailbox) const;
    // Every mailbox that holds seeded messages.
    QStringList seededMailboxes() const;

    // Points the program at this server (TESSALINE_IMAP_HOST, TESSALINE_CA_FILE).
    void exportToEnvironment() const;

    // Ends every connection of `user` the way an administrator does (the server says BYE);
    // false when doveadm failed or found no connection.
    bool kick(const QString &user) const;

private:
    QString m_host;
    int m_port = 0;
    QString m_caFile;
    QString m_untrustedCaFile;
    QString m_user;
    QString m_password;
    QString m_quirkyUser;
    QString m_quirkyPassword;
    QString m_logFile;
    QString m_seedDir;
    QHash<QString, QString> m_treeUsers;
    QString m_dir;
};
