#pragma once

#include <QString>

#include <functional>

// "Reading mail n of m" on standard error, rewritten in place; shown only when enabled (the
// caller decides: a terminal, and not --quiet).
class ProgressLine
{
public:
    explicit ProgressLine(bool enabled) : m_enabled(enabled) { }
    ~ProgressLine() { finish(); }
    Q_DISABLE_COPY_MOVE(ProgressLine)

    void show(int current, int total);
    // The megabytes `bytesSoFar` says the run downloaded follow the count from now on.
    void countDownloads(std::function<qint64()> bytesSoFar)
    {
        m_bytesSoFar = std::move(bytesSoFar);
    }
    // Said after the count from now on (the server slowing down).
    void setNote(const QString &note) { m_note = note; }
    // Ends the line so that later messages start on a fresh one.
    void finish();

    // Whether standard error is a terminal.
    static bool standardErrorIsTerminal();
    static bool standardOutputIsTerminal();

private:
    bool m_enabled;
    QString m_shown;
    QString m_note;
    std::function<qint64()> m_bytesSoFar;
};
