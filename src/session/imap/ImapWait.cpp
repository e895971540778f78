#include "ImapWait.h"

#include "ImapConnection.h"

#include <QEventLoop>
#include <QTimer>

#include <optional>
#include <utility>

namespace {

enum class Interruption { None, TimedOut, Aborted };

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
    QTimer abortCheck;
    abortCheck.setInterval(ImapWait::abortCheckIntervalMs);
    bool checking = false; // a handler that opens a dialog is not asked again meanwhile
    QObject::connect(&abortCheck, &QTimer::timeout, &context, [&] {
        if (checking || !connection->isRunning() || !hooks.abortRequested)
            return;
        checking = true;
        const bool abort = hooks.abortRequested();
        checking = false;
        if (abort && connection->isRunning())
            interrupt(Interruption::Aborted);
    });

    QObject::connect(connection, &ImapConnection::exchangeEnded, &loop, &QEventLoop::quit);
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

} // namespace

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
            if (interruption == Interruption::TimedOut) {
                connection->drop(ImapReply::End::TimedOut,
                                 QStringLiteral("timed out: no reply from %1 within %2 s")
                                     .arg(connection->endpoint())
                                     .arg(timeoutMs / 1000.0));
            } else {
                // An abort, or the program quitting every event loop.
                connection->drop(ImapReply::End::Aborted, QStringLiteral("aborted"));
            }
        }
    }
    return connection->takeReply();
}
