#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One command without its tag. Strings go out as atoms, quoted strings or synchronising literals,
// whichever carries them faithfully; a command with literals is sent in parts, each part after
// the server's continuation request.
class ImapCommand
{
public:
    // `name` is the command word ("LOGIN", "UID FETCH") and starts the line.
    explicit ImapCommand(const QByteArray &name);
    // A line written by the caller, sent as it is.
    static ImapCommand rawLine(const QByteArray &line);

    // Appends text written as it is, e.g. "(BODY.PEEK[])".
    ImapCommand &arg(const QByteArray &text);
    // Appends a string argument: an atom when safe, else a quoted string, else (8-bit bytes or
    // line breaks) a literal. NUL bytes cannot be carried at all: see canCarry().
    ImapCommand &string(const QByteArray &bytes);
    // Appends a mailbox name in modified UTF-7; the empty name is the inbox.
    ImapCommand &mailbox(const QString &name);
    // Keeps the arguments out of the protocol log (passwords).
    ImapCommand &sensitive();
    // A line of its own sent after the server's next continuation request (a SASL response).
    ImapCommand &afterContinuation(const QByteArray &line);

    static bool canCarry(const QByteArray &bytes) { return !bytes.contains('\0'); }

    const QByteArray &name() const { return m_name; }
    // The parts to write, each ending in CR LF; each part after the first waits for a
    // continuation request (announced by a literal or a SASL exchange).
    QList<QByteArray> wireParts(const QByteArray &tag) const;
    // What the protocol log shows for this command.
    QByteArray logText(const QByteArray &tag) const;

private:
    void append(const QByteArray &text);

    QByteArray m_name;
    QList<QByteArray> m_parts;
    bool m_sensitive = false;
};
