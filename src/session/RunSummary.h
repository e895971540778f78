#pragma once

#include <QList>
#include <QString>

// How a retrieval run ended, for both front ends to tell: the messages that gave no rows and
// why, and where and why the run ended before the last message.
class RunSummary
{
public:
    enum class End {
        Complete, // every message was read, or skipped for a reason of its own
        Stopped, // a failure that would repeat for every further message ended the run
        MailboxEnded, // the server held fewer messages than it counted
    };

    struct Skipped
    {
        int number = 0;
        QString reason;
    };

    RunSummary() = default;
    explicit RunSummary(int total) : m_total(total) { }

    void noteSkipped(int number, const QString &reason);
    // `byServer`: the server refused (a limit) rather than the connection failing.
    void noteStopped(int number, const QString &reason, bool byServer);
    void noteMailboxEnded(int number, const QString &reason);

    End end() const { return m_end; }
    // Ended before the last message, or left messages without rows.
    bool hasGaps() const { return m_end == End::Stopped || !m_skipped.isEmpty(); }
    const QList<Skipped> &skipped() const { return m_skipped; }
    int endedAt() const { return m_endedAt; } // the message it ended at; 0 when complete
    int total() const { return m_total; }
    bool stoppedByServer() const { return m_byServer; }
    QString reason() const { return m_reason; }

    // What the user is told instead of "Done."; empty for a complete run without skips.
    // `afterStop` follows the reason a run stopped (where its rows are).
    QString text(const QString &afterStop = {}) const;

private:
    QString endText(const QString &afterStop) const;
    QString skippedText() const;

    int m_total = 0;
    End m_end = End::Complete;
    int m_endedAt = 0;
    QString m_reason;
    bool m_byServer = false;
    QList<Skipped> m_skipped;
};
