// The desktop run of the retrieval benchmark: the main window (offscreen), signed in, one
// "Extract All Email Data" run over the inbox or a label, until its "Done." notice.
//
//   desktop_run_bench [LABEL]     (TESSALINE_IMAP_HOST, TESSALINE_CA_FILE, BENCH_USER,
//                                  BENCH_PASSWORD name the server and the account)
//
// BENCH_SHOW_WINDOW=1 shows the window, so every repaint and list layout is paid as a user pays
// it. BENCH_STOP_AFTER_MS=N clicks Stop N ms into the run and prints how late the click was
// handled (stop_latency_ms: how long the run kept the event queued) and how long the run took to
// end after it (stop_to_end_ms). BENCH_RUNS=N runs N times back to back in the same window and
// prints the later runs' figures as repeat_*, with repeat_same_rows=1 when every later run's rows
// equal the first run's. BENCH_MEMORY_BOUND=BYTES bounds what the session keeps of fetched mail
// (0: nothing, so a repeated run downloads everything again). BENCH_BETWEEN_RUNS=COMMAND runs a
// shell command before each later run (to change the mailbox meanwhile), the window idle in its
// event loop as a user's would be.

#include "Form1.h"
#include "Form1Controls.h"
#include "ImapComponent.h"
#include "Prompts.h"
#include "ResultListModel.h"
#include "ServerOverride.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Answers every box at once and remembers whether the run ended with "Done.".
class BenchPrompts final : public Prompts
{
public:
    Answer message(const QString &, const QString &text, Buttons buttons, Icon) override
    {
        if (text == QLatin1String("Done."))
            m_done = true;
        else
            std::fprintf(stderr, "desktop_run_bench: box: %s\n", qPrintable(text));
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    QStringList openFileNames(const QString &, const QString &) override { return {}; }
    bool openWithDefaultProgram(const QString &) override { return false; }

    bool done() const { return m_done; }
    void forgetDone() { m_done = false; }

private:
    bool m_done = false;
};

// One run's figures; the digest covers every row's text in order.
struct RunFigures
{
    qint64 runMs = 0;
    qlonglong rows = 0;
    qint64 downloadedBytes = 0;
    QByteArray digest;
    bool done = false;
};

QByteArray RowsDigest(const ResultListModel &results)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (qsizetype row = 0; row < results.count(); ++row) {
        hash.addData(results.text(row).toUtf8());
        hash.addData(QByteArrayView("\n"));
    }
    return hash.result();
}

RunFigures RunOnce(Form1 &window, BenchPrompts &prompts, bool withDigest)
{
    RunFigures figures;
    prompts.forgetDone();
    const qint64 bytesBefore = window.ImapComponent1()->DownloadedBytes();
    QElapsedTimer timer;
    timer.start();
    window.controls().PushButton13->click(); // returns when the run has ended
    figures.runMs = timer.elapsed();
    figures.rows = window.results().count();
    figures.downloadedBytes = window.ImapComponent1()->DownloadedBytes() - bytesBefore;
    figures.done = prompts.done();
    if (withDigest)
        figures.digest = RowsDigest(window.results());
    return figures;
}

void RunWhileIdle(const QString &shellCommand)
{
    QProcess process;
    QEventLoop idle;
    QObject::connect(&process, &QProcess::finished, &idle, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &idle, &QEventLoop::quit);
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), shellCommand});
    if (process.waitForStarted())
        idle.exec();
}

// The runs after the first: seconds and bytes of each, comma-separated.
void PrintRepeats(const QList<RunFigures> &runs)
{
    QStringList seconds, rows, bytes;
    bool sameRows = true;
    for (qsizetype at = 1; at < runs.size(); ++at) {
        seconds << QString::number(runs[at].runMs / 1e3, 'f', 3);
        rows << QString::number(runs[at].rows);
        bytes << QString::number(runs[at].downloadedBytes);
        sameRows = sameRows && runs[at].digest == runs.first().digest;
    }
    std::printf(" repeat_seconds=%s repeat_rows=%s repeat_downloaded_bytes=%s repeat_same_rows=%d",
                qPrintable(seconds.join(u',')), qPrintable(rows.join(u',')),
                qPrintable(bytes.join(u',')), sameRows ? 1 : 0);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    qputenv("TESSALINE_PING_COMMAND", "echo 64 bytes from 127.0.0.1");
    const TestEnvironment environment; // throw-away settings store and program folder
    BenchPrompts prompts;
    Prompts::install(&prompts);

    QElapsedTimer timer;
    timer.start();
    Form1 window;
    window.setServerOverride(ServerOverride::fromEnvironment());
    window.Form_Load();
    if (qEnvironmentVariableIsSet("BENCH_SHOW_WINDOW"))
        window.show();
    window.controls().Text7->setText(qEnvironmentVariable("BENCH_USER"));
    window.controls().Text6->setText(qEnvironmentVariable("BENCH_PASSWORD"));
    window.controls().PushButton17->click();
    if (!window.isConnected()) {
        std::fprintf(stderr, "desktop_run_bench: not connected\n");
        return 1;
    }
    // Connecting reloads the filters from the store, so the label is set afterwards.
    if (argc > 1)
        window.LabelFilter = QString::fromLocal8Bit(argv[1]);
    const qint64 connectedMs = timer.elapsed();
    qint64 stopDueMs = -1;
    qint64 stopHandledMs = -1;
    if (qEnvironmentVariableIsSet("BENCH_STOP_AFTER_MS")) {
        const int stopAfterMs = qEnvironmentVariableIntValue("BENCH_STOP_AFTER_MS");
        stopDueMs = connectedMs + stopAfterMs;
        QTimer::singleShot(stopAfterMs, Qt::PreciseTimer, &window, [&] {
            stopHandledMs = timer.elapsed();
            window.controls().PushButton13->click();
        });
    }
    const int runCount = qMax(1, qEnvironmentVariableIntValue("BENCH_RUNS"));
    if (qEnvironmentVariableIsSet("BENCH_MEMORY_BOUND"))
        window.ImapComponent1()->setMemoryBound(qgetenv("BENCH_MEMORY_BOUND").toLongLong());
    QList<RunFigures> runs;
    const QString betweenRuns = qEnvironmentVariable("BENCH_BETWEEN_RUNS");
    for (int run = 0; run < runCount; ++run) {
        if (run > 0 && !betweenRuns.isEmpty())
            RunWhileIdle(betweenRuns);
        runs << RunOnce(window, prompts, runCount > 1);
    }
    const RunFigures &first = runs.first();
    std::printf("rows=%lld done=%d connect_seconds=%.3f run_seconds=%.3f text_bytes=%lld "
                "downloaded_bytes=%lld",
                first.rows, first.done ? 1 : 0, connectedMs / 1e3, first.runMs / 1e3,
                qlonglong(window.results().textBytes()), qlonglong(first.downloadedBytes));
    if (stopHandledMs >= 0)
        std::printf(" stop_latency_ms=%lld stop_to_end_ms=%lld", stopHandledMs - stopDueMs,
                    connectedMs + first.runMs - stopHandledMs);
    if (runs.size() > 1)
        PrintRepeats(runs);
    std::printf("\n");
    Prompts::install(nullptr);
    const bool allDone =
        std::all_of(runs.cbegin(), runs.cend(), [](const RunFigures &run) { return run.done; });
    return allDone ? 0 : 1;
}
