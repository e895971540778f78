#include "ImapWait.h"

#include "ImapConnection.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <optional>
#include <utility>

namespace {

enum class Interruption { None, TimedOut, PastDeadline, Aborted };

Interruption runLoop(ImapConnection *connection, int timeoutMs, const ImapWait::Hooks &hooks)
{
    QEventLoop loop;
    QObject context; // its destruction cancels queued progress calls after the wait
    Interruption interruption = Interruption::None;
    auto interrupt = [&](Interruption why) {
        interruption = why;
        loop.quit();
    };

    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setInterval(timeoutMs);
    QObject::connect(&timeout, &QTimer::timeout, &context, [&] {
        if (connection->isRunning())
            interrupt(Interruption::TimedOut);
    });
    QElapsedTimer elapsed;
    elapsed.start();
    auto checkDeadline = [&] {
        if (!connection->isRunning() || interruption != Interruption::None)
            return;
        const qint64 bytes = hooks.expectedBytes + connection->announcedBytes();
        if (elapsed.elapsed() > ImapWait::deadlineMs(timeoutMs, bytes))
            interrupt(Interruption::PastDeadline);
    };
    QTimer abortCheck;
    abortCheck.setInterval(ImapWait::abortCheckIntervalMs);
    bool checking = false; // a handler that opens a dialog is not asked again meanwhile
    QObject::connect(&abortCheck, &QTimer::timeout, &context, [&] {
        checkDeadline();
        if (checking || !connection->isRunning() || !hooks.abortRequested)
            return;
        checking = true;
        const bool abort = hooks.abortRequested();
        checking = false;
        if (abort && connection->isRunning())
            interrupt(Interruption::Aborted);
    });

    // A later command may complete first: the wait is for the oldest.
    QObject::connect(connection, &ImapConnection::exchangeEnded, &context, [&] {
        if (!connection->isRunning())
            loop.quit();
    });
    QObject::connect(connection, &ImapConnection::bytesArrived, &timeout,
                     qOverload<>(&QTimer::start));
    // Progress is noted inside the socket's signal and reported from the loop, so that no user
    // code runs inside the socket's own signal; the last value is reported even when the reply
    // completes in the same read.
    std::optional<int> unreported;
    auto reportProgress = [&] {
        if (unreported && hooks.progress)
            hooks.progress(*std::exchange(unreported, std::nullopt));
    };
    QObject::connect(connection, &ImapConnection::literalProgress, &context, [&](int percent) {
        unreported = percent;
        QTimer::singleShot(0, &context, reportProgress);
    });

    timeout.start();
    abortCheck.start();
    loop.exec(QEventLoop::AllEvents);
    reportProgress();
    return interruption;
}

QString timedOutText(const ImapConnection &connection, int timeoutMs, Interruption interruption,
                     qint64 expectedBytes)
{
    if (interruption == Interruption::PastDeadline) {
        const qint64 bytes = expectedBytes + connection.announcedBytes();
        return QStringLiteral("timed out: the reply from %1 to %2 did not arrive within %3 s, "
                              "though bytes kept trickling in")
            .arg(connection.endpoint(), QString::fromUtf8(connection.runningCommand()))
            .arg(ImapWait::deadlineMs(timeoutMs, bytes) / 1000.0);
    }
    return QStringLiteral("timed out: no reply from %1 within %2 s")
        .arg(connection.endpoint())
        .arg(timeoutMs / 1000.0);
}

} // namespace

qint64 ImapWait::deadlineMs(int timeoutMs, qint64 bytes)
{
    return timeoutMs + qMax<qint64>(0, bytes) * 1000 / slowestBytesPerSecond;
}

ImapReply ImapWait::run(ImapConnection *connection, int timeoutMs, const Hooks &hooks)
{
    if (connection->isWaitedOn()) {
        return ImapReply::ended(ImapReply::End::Refused,
                                QStringLiteral("another IMAP operation is still waiting"));
    }
    if (connection->isRunning()) {
        connection->setWaitedOn(true);
        const Interruption interruption = runLoop(connection, timeoutMs, hooks);
        connection->setWaitedOn(false);
        if (connection->isRunning()) {
            if (interruption == Interruption::TimedOut
                || interruption == Interruption::PastDeadline) {
                connection->drop(
                    ImapReply::End::TimedOut,
                    timedOutText(*connection, timeoutMs, interruption, hooks.expectedBytes));
            } else {
                // An abort, or the program quitting every event loop.
                connection->drop(ImapReply::End::Aborted, QStringLiteral("aborted"));
            }
        }
    }
    return connection->takeReply();
}
