#include "ProgressLine.h"

#include "DailyDownloadCount.h"

#include <QtGlobal>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
bool IsTerminal(std::FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}
} // namespace

void ProgressLine::show(int current, int total)
{
    if (!m_enabled)
        return;
    QString text = QStringLiteral("Reading mail %1 of %2").arg(current).arg(total);
    if (m_bytesSoFar)
        text +=
            QStringLiteral(", %1 downloaded").arg(DailyDownloadCount::megabytes(m_bytesSoFar()));
    if (!m_note.isEmpty())
        text += QStringLiteral(" (%1)").arg(m_note);
    if (text == m_shown)
        return;
    // Blanks cover what a longer earlier text left behind.
    const QString padding(qMax<qsizetype>(0, m_shown.size() - text.size()), QLatin1Char(' '));
    std::fprintf(stderr, "\r%s%s", qPrintable(text), qPrintable(padding));
    std::fflush(stderr);
    m_shown = text;
}

void ProgressLine::finish()
{
    if (m_shown.isEmpty())
        return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    m_shown.clear();
}

bool ProgressLine::standardErrorIsTerminal()
{
    return IsTerminal(stderr);
}

bool ProgressLine::standardOutputIsTerminal()
{
    return IsTerminal(stdout);
}
