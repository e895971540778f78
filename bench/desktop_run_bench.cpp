// The desktop run of the retrieval benchmark: the main window (offscreen), signed in, one
// "Extract All Email Data" run over the inbox or a label, until its "Done." notice.
//
//   desktop_run_bench [LABEL]     (TESSALINE_IMAP_HOST, TESSALINE_CA_FILE, BENCH_USER,
//                                  BENCH_PASSWORD name the server and the account)
//
// BENCH_SHOW_WINDOW=1 shows the window, so every repaint and list layout is paid as a user pays
// it. BENCH_STOP_AFTER_MS=N clicks Stop N ms into the run and prints how late the click was
// handled (stop_latency_ms: how long the run kept the event queued) and how long the run took to
// end after it (stop_to_end_ms).

#include "Form1.h"
#include "Form1Controls.h"
#include "Prompts.h"
#include "ResultListModel.h"
#include "ServerOverride.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

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

private:
    bool m_done = false;
};

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
    window.controls().PushButton13->click(); // returns when the run has ended
    const qint64 runMs = timer.elapsed() - connectedMs;
    std::printf("rows=%lld done=%d connect_seconds=%.3f run_seconds=%.3f text_bytes=%lld",
                qlonglong(window.results().count()), prompts.done() ? 1 : 0, connectedMs / 1e3,
                runMs / 1e3, qlonglong(window.results().textBytes()));
    if (stopHandledMs >= 0)
        std::printf(" stop_latency_ms=%lld stop_to_end_ms=%lld", stopHandledMs - stopDueMs,
                    connectedMs + runMs - stopHandledMs);
    std::printf("\n");
    Prompts::install(nullptr);
    return prompts.done() ? 0 : 1;
}
