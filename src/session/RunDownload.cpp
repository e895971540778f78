#include "RunDownload.h"

#include "DailyDownloadCount.h"
#include "ImapComponent.h"
#include "LocalMailCopy.h"
#include "clsImapSession.h"

RunDownload::RunDownload(ImapComponent &component, const QString &account, bool keepLocalCopy)
    : m_component(&component),
      m_account(account),
      m_atStart(component.DownloadedBytes()),
      m_counted(m_atStart)
{
    if (keepLocalCopy)
        m_localCopy = std::make_shared<LocalMailCopy>(account);
    component.SetLocalCopy(m_localCopy);
}

RunDownload::~RunDownload()
{
    count();
}

std::optional<qint64> RunDownload::estimate(const clsImapSession &session) const
{
    if (!m_component || session.MaxRecord <= 0)
        return std::nullopt;
    return m_component->EstimateDownload(session.CurrentLocation, session.MaxRecord);
}

qint64 RunDownload::countedToday() const
{
    return DailyDownloadCount().today(m_account);
}

std::optional<QString> RunDownload::questionBeforeRun(qint64 estimate) const
{
    return DailyDownloadCount().questionBeforeRun(m_account, estimate);
}

qint64 RunDownload::bytesSoFar() const
{
    return m_component ? std::max<qint64>(0, m_component->DownloadedBytes() - m_atStart) : 0;
}

void RunDownload::count()
{
    if (!m_component)
        return;
    const qint64 now = m_component->DownloadedBytes();
    DailyDownloadCount().add(m_account, now - m_counted);
    m_counted = std::max(m_counted, now);
}

QString RunDownload::takeNotice()
{
    return m_localCopy ? m_localCopy->takeNotice() : QString();
}
