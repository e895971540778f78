#include "ProgressDisplay.h"

#include "DailyDownloadCount.h"
#include "Form1Controls.h"
#include "clsImapSession.h"

#include <QProgressBar>

#include <algorithm>

QString ProgressDisplay::text() const
{
    return m_ui.ProgressBar1->format();
}

void ProgressDisplay::setText(const QString &text) const
{
    m_ui.ProgressBar1->setFormat(text);
    m_ui.ProgressBar1->setAccessibleName(text);
}

void ProgressDisplay::showIdle() const
{
    setText(QStringLiteral("Progress Bar"));
}

namespace {

const QString ServerSlowingText = QStringLiteral("Gmail is slowing down this connection");

} // namespace

void ProgressDisplay::reset()
{
    m_serverSlowing = false;
    m_bytesSoFar = nullptr;
    showIdle();
    m_ui.ProgressBar1->setValue(m_ui.ProgressBar1->minimum());
}

void ProgressDisplay::showPercent(int percent) const
{
    QProgressBar *bar = m_ui.ProgressBar1;
    bar->setMaximum(100);
    bar->setValue(std::clamp(percent, bar->minimum(), bar->maximum()));
}

void ProgressDisplay::countDownloads(std::function<qint64()> bytesSoFar)
{
    m_bytesSoFar = std::move(bytesSoFar);
}

void ProgressDisplay::showReading(const clsImapSession *session) const
{
    if (!session)
        return;
    QString text = QStringLiteral("Reading mail %1 of %2")
                       .arg(session->CurrentLocation)
                       .arg(session->MaxRecord);
    if (m_bytesSoFar)
        text +=
            QStringLiteral(", %1 downloaded").arg(DailyDownloadCount::megabytes(m_bytesSoFar()));
    if (m_serverSlowing)
        text += QStringLiteral(" (%1)").arg(ServerSlowingText);
    setText(text);
}

void ProgressDisplay::showServerSlowing()
{
    m_serverSlowing = true;
    setText(ServerSlowingText);
}
