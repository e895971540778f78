#include "CommandRunner.h"

#include "StepFailure.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {
void connectStreams(QProcess &process, bool captureOutput, bool captureErrors)
{
    process.setStandardInputFile(QProcess::nullDevice());
    if (captureOutput && captureErrors) {
        process.setProcessChannelMode(QProcess::MergedChannels);
    } else if (captureOutput) {
        process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setReadChannel(QProcess::StandardError);
    }
}

void hideWindow([[maybe_unused]] QProcess &process)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= CREATE_NO_WINDOW; });
#endif
}

QString decodeOutput(const QByteArray &bytes, [[maybe_unused]] bool oemConvert)
{
#ifdef Q_OS_WIN
    if (oemConvert) {
        const int size =
            MultiByteToWideChar(CP_OEMCP, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
        QString text(size, Qt::Uninitialized);
        MultiByteToWideChar(CP_OEMCP, 0, bytes.constData(), int(bytes.size()),
                            reinterpret_cast<wchar_t *>(text.data()), size);
        return text;
    }
#endif
    // Decoded once at the end, so a character split across two reads stays whole.
    return QString::fromLocal8Bit(bytes);
}

// Collects the child's output until it ends, fails to start or runs out of time.
class CapturedRun
{
public:
    CapturedRun(QProcess &process, int timeoutMs) : m_process(process), m_timeoutMs(timeoutMs) { }

    bool run(const QStringList &words)
    {
        QObject::connect(&m_process, &QProcess::readyRead, &m_loop, [this] { collect(); });
        QObject::connect(&m_process, &QProcess::finished, &m_loop, [this] { end(); });
        QObject::connect(&m_process, &QProcess::errorOccurred, &m_loop,
                         [this](QProcess::ProcessError e) {
                             if (e == QProcess::FailedToStart) {
                                 m_failedToStart = true;
                                 end();
                             }
                         });
        QTimer deadline;
        deadline.setSingleShot(true);
        // After a kill, `finished` still follows and ends the wait.
        QObject::connect(&deadline, &QTimer::timeout, &m_process, &QProcess::kill);

        m_process.start(words.first(), words.mid(1), QIODevice::ReadOnly);
        if (!m_ended) {
            deadline.start(m_timeoutMs);
            m_loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        collect();
        return !m_failedToStart;
    }

    const QByteArray &bytes() const { return m_bytes; }

private:
    void collect() { m_bytes += m_process.readAll(); }
    void end()
    {
        m_ended = true;
        m_loop.quit();
    }

    QProcess &m_process;
    int m_timeoutMs;
    QEventLoop m_loop;
    QByteArray m_bytes;
    bool m_ended = false;
    bool m_failedToStart = false;
};
} // namespace

QString RunCommandCaptureOutput(const QString &commandLine, bool captureOutput, bool captureErrors,
                                bool oemConvert, int timeoutMs)
{
    if (!captureOutput && !captureErrors)
        throw StepFailure(QStringLiteral("Invalid procedure call or argument"));
    const QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return QString::fromLatin1(ProcessStartFailureText);

    QProcess process;
    connectStreams(process, captureOutput, captureErrors);
    hideWindow(process);
    CapturedRun run(process, timeoutMs);
    if (!run.run(words))
        return QString::fromLatin1(ProcessStartFailureText);
    return decodeOutput(run.bytes(), oemConvert);
}
