#include "RunSummary.h"

#include <QLocale>

namespace {

// Messages named one by one in the text; the error log has every one of them.
constexpr qsizetype namedSkips = 5;

QString number(int value)
{
    return QLocale().toString(value);
}

// A reason as the end of a sentence.
QString sentence(QString text)
{
    text = text.trimmed();
    if (!text.isEmpty() && !text.endsWith(u'.'))
        text += u'.';
    return text;
}

} // namespace

void RunSummary::noteSkipped(int number, const QString &reason)
{
    m_skipped.append({number, reason});
}

void RunSummary::noteStopped(int number, const QString &reason, bool byServer)
{
    m_end = End::Stopped;
    m_endedAt = number;
    m_reason = reason;
    m_byServer = byServer;
}

void RunSummary::noteMailboxEnded(int number, const QString &reason)
{
    m_end = End::MailboxEnded;
    m_endedAt = number;
    m_reason = reason;
}

QString RunSummary::text(const QString &afterStop) const
{
    const QString parts[] {endText(afterStop), skippedText()};
    QStringList lines;
    for (const QString &part : parts) {
        if (!part.isEmpty())
            lines.append(part);
    }
    return lines.join(u'\n');
}

QString RunSummary::endText(const QString &afterStop) const
{
    const QString after = afterStop.isEmpty() ? QString() : u' ' + afterStop;
    switch (m_end) {
    case End::Complete:
        return {};
    case End::Stopped:
        return (m_byServer ? QStringLiteral("Gmail stopped the run at message %1 of %2: %3")
                           : QStringLiteral("The run stopped at message %1 of %2: %3"))
            .arg(number(m_endedAt), number(m_total), sentence(m_reason) + after);
    case End::MailboxEnded:
        return QStringLiteral("The folder ended at message %1, though the server counted %2: %3")
            .arg(number(m_endedAt - 1), number(m_total), sentence(m_reason));
    }
    return {};
}

QString RunSummary::skippedText() const
{
    if (m_skipped.isEmpty())
        return {};
    QStringList named;
    for (qsizetype i = 0; i < m_skipped.size() && i < namedSkips; ++i) {
        const Skipped &skip = m_skipped.at(i);
        named.append(QStringLiteral("message %1 (%2)").arg(number(skip.number), skip.reason));
    }
    if (m_skipped.size() > namedSkips)
        named.append(QStringLiteral("%1 more").arg(number(int(m_skipped.size() - namedSkips))));
    return QStringLiteral("%1 %2 gave no rows: %3.")
        .arg(number(int(m_skipped.size())),
             m_skipped.size() == 1 ? QStringLiteral("message") : QStringLiteral("messages"),
             named.join(QStringLiteral("; ")));
}
