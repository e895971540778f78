#pragma once

#include <QString>

#include <functional>

class clsImapSession;
struct Form1Controls;

// The progress bar at the foot of the window, whose text doubles as the window's status line.
class ProgressDisplay
{
public:
    explicit ProgressDisplay(const Form1Controls &ui) : m_ui(ui) { }

    QString text() const;
    void setText(const QString &text) const;
    // "Progress Bar": nothing is going on.
    void showIdle() const;
    // The idle text over an empty bar; forgets a slowing server and the run's downloads.
    void reset();
    void showPercent(int percent) const;
    // From now until the next reset, the count of mail is followed by the megabytes that
    // `bytesSoFar` says the run has downloaded.
    void countDownloads(std::function<qint64()> bytesSoFar);
    // "Reading mail n of m". Also shown as each message arrives: a message that comes in one
    // piece gives no progress report, and a fast run would otherwise never say where it is.
    void showReading(const clsImapSession *session) const;
    // The server said it is slowing the connection down: said now, and after every count
    // until the next reset.
    void showServerSlowing();

private:
    const Form1Controls &m_ui;
    bool m_serverSlowing = false;
    std::function<qint64()> m_bytesSoFar;
};
