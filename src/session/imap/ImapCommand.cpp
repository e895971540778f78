#include "ImapCommand.h"

#include "MailboxNameCodec.h"

namespace {

bool isAtomSafe(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7f)
        return false;
    return !QByteArrayView("(){%*\"\\]").contains(c);
}

bool needsLiteral(const QByteArray &bytes)
{
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

bool isAtom(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.toUpper() == "NIL")
        return false;
    for (char c : bytes) {
        if (!isAtomSafe(c))
            return false;
    }
    return true;
}

QByteArray quoted(const QByteArray &bytes)
{
    QByteArray escaped = bytes;
    escaped.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + escaped + '"';
}

} // namespace

ImapCommand::ImapCommand(const QByteArray &name) : m_name(name), m_parts {name} { }

ImapCommand ImapCommand::rawLine(const QByteArray &line)
{
    ImapCommand command(line.left(line.indexOf(' ')).toUpper());
    command.m_parts = {line};
    return command;
}

void ImapCommand::append(const QByteArray &text)
{
    m_parts.last() += ' ' + text;
}

ImapCommand &ImapCommand::arg(const QByteArray &text)
{
    append(text);
    return *this;
}

ImapCommand &ImapCommand::string(const QByteArray &bytes)
{
    if (needsLiteral(bytes)) {
        append('{' + QByteArray::number(bytes.size()) + '}');
        m_parts.append(bytes);
    } else {
        append(isAtom(bytes) ? bytes : quoted(bytes));
    }
    return *this;
}

ImapCommand &ImapCommand::mailbox(const QString &name)
{
    return string(name.isEmpty() ? QByteArrayLiteral("INBOX") : MailboxNameCodec::encode(name));
}

ImapCommand &ImapCommand::sensitive()
{
    m_sensitive = true;
    return *this;
}

ImapCommand &ImapCommand::afterContinuation(const QByteArray &line)
{
    m_parts.append(line);
    return *this;
}

QList<QByteArray> ImapCommand::wireParts(const QByteArray &tag) const
{
    QList<QByteArray> parts = m_parts;
    parts.first().prepend(tag + ' ');
    for (QByteArray &part : parts)
        part += "\r\n";
    return parts;
}

QByteArray ImapCommand::logText(const QByteArray &tag) const
{
    if (m_sensitive)
        return tag + ' ' + m_name + " ...";
    return wireParts(tag).join().trimmed();
}
