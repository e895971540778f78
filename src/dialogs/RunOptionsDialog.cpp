#include "RunOptionsDialog.h"

#include "DialogControls.h"
#include "MainWindowLink.h"
#include "PointerFeedback.h"
#include "Steps.h"

#include <QCloseEvent>
#include <QPushButton>

namespace {
const char *const IdleCaption = "Start Extracting";
const char *const StopCaption = "Stop";
} // namespace

RunOptionsDialog::RunOptionsDialog(MainWindowLink &link, const QString &formName, QWidget *parent)
    : TessalineDialog(formName, parent), m_link(link)
{
    setModal(false);
}

QPushButton *RunOptionsDialog::createStartButton()
{
    m_startButton = NamedButton(QStringLiteral("PushButton4"), QLatin1String(IdleCaption), this);
    pointerFeedback()->handAlways(m_startButton);
    return m_startButton;
}

void RunOptionsDialog::startOrStop(ExtractionMode mode)
{
    m_link.startStopClick(m_startButton, QLatin1String(IdleCaption), mode,
                          location("PushButton4_Click"), this);
}

void RunOptionsDialog::reject()
{
    if (m_startButton && m_startButton->text() == QLatin1String(StopCaption))
        m_startButton->click();
    else
        close();
}

void RunOptionsDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Steps steps(location("Form_QueryUnload"));
    steps(100, [&] { hide(); });
}
