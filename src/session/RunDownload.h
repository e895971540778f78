#pragma once

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class ImapComponent;
class LocalMailCopy;
class clsImapSession;

// What one run downloads, for the window and the command line alike: the local copy the user
// chose for it, the estimate asked before reading, and the bytes read meanwhile, which are added
// to the account's count of the day however the run ends.
class RunDownload
{
public:
    // Lends the component the account's local copy when `keepLocalCopy`, and takes it back
    // otherwise, so that a change of mind holds from this run on.
    RunDownload(ImapComponent &component, const QString &account, bool keepLocalCopy);
    ~RunDownload();
    Q_DISABLE_COPY_MOVE(RunDownload)

    // Bytes that reading the session's counted messages would download; nullopt when the server
    // could not say.
    std::optional<qint64> estimate(const clsImapSession &session) const;
    // Bytes counted for the account today, before this run's.
    qint64 countedToday() const;
    // The question to ask before reading, when the run would pass the daily limit.
    std::optional<QString> questionBeforeRun(qint64 estimate) const;
    qint64 bytesSoFar() const;
    // Adds what was downloaded since the last call to the day's count.
    void count();
    // What the user should hear about the local copy after the run; empty when nothing.
    QString takeNotice();

private:
    QPointer<ImapComponent> m_component; // a closing window may delete it mid-run
    QString m_account;
    qint64 m_atStart = 0;
    qint64 m_counted = 0;
    std::shared_ptr<LocalMailCopy> m_localCopy;
};
