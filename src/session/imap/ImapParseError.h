#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <string>

// A reply the protocol layer cannot read. Thrown only inside the parser; the connection turns it
// into a failure where it reads the socket, so no exception ever reaches the event loop.
class ImapParseError : public std::runtime_error
{
public:
    ImapParseError(const std::string &what, const QByteArray &line, qsizetype offset)
        : std::runtime_error(what), m_line(line.left(200)), m_offset(offset)
    {
    }

    // The start of the offending reply and where in it the parser stopped.
    const QByteArray &line() const { return m_line; }
    qsizetype offset() const { return m_offset; }

    virtual QString description() const
    {
        return QStringLiteral("unreadable reply from the server: %1 at offset %2")
            .arg(QString::fromUtf8(what()))
            .arg(m_offset);
    }

private:
    QByteArray m_line;
    qsizetype m_offset;
};

// A reply larger or deeper than the maxima in ImapLimits.
class ImapLimitError : public ImapParseError
{
public:
    using ImapParseError::ImapParseError;

    QString description() const override
    {
        return QStringLiteral("reply from the server refused: %1").arg(QString::fromUtf8(what()));
    }
};
