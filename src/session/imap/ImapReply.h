#pragma once

#include "ControlText.h"
#include "ImapResponse.h"

#include <QList>
#include <QString>

// How one exchange with the server ended: the command's tagged completion (or the greeting) and
// the untagged replies that came with it, or why it never completed.
struct ImapReply
{
    enum class End {
        Running,
        Completed, // the server answered; see completion.name for OK, NO or BAD
        ConnectionLost, // the server closed the connection or the network failed
        ClosedByClient, // CloseConnection, or a new connection replaced this one
        TimedOut,
        Aborted,
        Unreadable, // the server sent something the parser refused; the connection is dropped
        Refused, // another operation was still waiting on the same connection
        NotConnected,
    };

    End end = End::Running;
    QByteArray commandName;
    QList<ImapResponse> untagged;
    ImapResponse completion;
    QString failure; // why it did not complete; empty when it did
    // AUTHENTICATE: the server's error continuation, made readable (why a token was refused).
    QString saslError;

    // Gmail ends long sessions with BYE; a lost connection is signed in again this many times
    // before the operation fails.
    static constexpr int maxReconnects = 3;

    bool isOk() const { return end == End::Completed && completion.name == "OK"; }

    // Says in the failure how many attempts to come back were made before giving up.
    void noteReconnects(int attempts)
    {
        if (attempts > 0)
            failure += QStringLiteral(" (after %1 attempts to reconnect)").arg(attempts);
    }

    // What FailureText reports: the server's NO/BAD text or the reason it did not complete.
    QString failureText() const
    {
        if (end == End::Completed) {
            if (isOk())
                return {};
            QString text = QStringLiteral("%1 failed, server replied: %2")
                               .arg(QString::fromUtf8(commandName),
                                    EscapeControlCharacters(
                                        QString::fromUtf8(completion.statusText())));
            if (!saslError.isEmpty())
                text += QStringLiteral(" (%1)").arg(EscapeControlCharacters(saslError));
            return text;
        }
        return failure;
    }

    static ImapReply ended(End end, const QString &failure)
    {
        ImapReply reply;
        reply.end = end;
        reply.failure = failure;
        return reply;
    }
};
