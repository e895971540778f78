// Rows into the result list and exports of a million rows. Prints per-100,000-row costs and
// the ratio of the last batch to the first (median of several runs, each in its own process):
// cost per row must stay flat as the list grows.

#include "ClipboardTexts.h"
#include "FixedModeInputs.h"
#include "MessageRows.h"
#include "ResultFiles.h"
#include "ResultListModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <functional>

namespace {

constexpr int TotalRows = 1'000'000;
constexpr int BatchRows = 100'000;

// Processor time of this thread: unlike wall time it leaves out the time other programs on a
// shared machine hold the processor.
qint64 ThreadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

constexpr int Repeats = 5;

// Given a fresh list, makes the function that adds row i to it.
using Adder = std::function<std::function<void(int)>(ResultListModel &)>;

struct Growth
{
    double firstMs = 0;
    double lastMs = 0;
    double wallRatio = 0;
    double cpuRatio = 0;
};

// Runs `addRow(i)` for every row of a fresh list, timing each batch (wall and processor time);
// the view is told between batches.
Growth MeasureGrowthOnce(const Adder &adder)
{
    ResultListModel model;
    const std::function<void(int)> addRow = adder(model);
    QList<qint64> wall;
    QList<qint64> cpu;
    for (int first = 0; first < TotalRows; first += BatchRows) {
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = ThreadCpuNs();
        for (int row = first; row < first + BatchRows; ++row)
            addRow(row);
        QCoreApplication::processEvents();
        cpu.append(ThreadCpuNs() - cpuStart);
        wall.append(timer.nsecsElapsed());
    }
    return {wall.first() / 1e6, wall.last() / 1e6, double(wall.last()) / double(wall.first()),
            double(cpu.last()) / double(cpu.first())};
}

// One run in a process of its own, so no run starts on memory an earlier one freed.
Growth MeasureGrowthInChild(const char *key)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--one"), QString::fromLatin1(key)});
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 4)
        return {};
    return {fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble()};
}

// The median of `Repeats` runs by their wall ratio, and the spread of that ratio: on a shared
// machine one run's batches can land on a busy or a quiet moment. Started with "--one KEY", the
// program makes that one run and prints its figures.
void MeasureGrowth(const char *name, const char *key, const Adder &adder)
{
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--one")) {
        if (arguments.at(2) == QLatin1String(key)) {
            const Growth run = MeasureGrowthOnce(adder);
            std::printf("%f %f %f %f\n", run.firstMs, run.lastMs, run.wallRatio, run.cpuRatio);
        }
        return;
    }
    QList<Growth> runs;
    for (int run = 0; run < Repeats; ++run)
        runs.append(MeasureGrowthInChild(key));
    std::sort(runs.begin(), runs.end(),
              [](const Growth &a, const Growth &b) { return a.wallRatio < b.wallRatio; });
    const Growth &median = runs.at(Repeats / 2);
    std::printf("%-34s rows %d  first %.1f ms  last %.1f ms  ratio last/first %.2f  "
                "(%d runs %.2f to %.2f; processor time %.2f)\n",
                name, TotalRows, median.firstMs, median.lastMs, median.wallRatio, Repeats,
                runs.first().wallRatio, runs.last().wallRatio, median.cpuRatio);
}

void MeasureAppends()
{
    MeasureGrowth("append", "append", [](ResultListModel &model) {
        return [&model](int row) { model.append(QString::number(row)); };
    });
}

// One message per row through extract-between, so each row pays the duplicate check.
void MeasureBetween(bool showDuplicates)
{
    MeasureGrowth(showDuplicates ? "between, duplicates shown" : "between, duplicates hidden",
                  showDuplicates ? "shown" : "hidden", [showDuplicates](ResultListModel &model) {
                      auto inputs = std::make_shared<FixedModeInputs>();
                      inputs->startMarker = QStringLiteral("[");
                      inputs->endMarker = QStringLiteral("]");
                      inputs->duplicatesShown = showDuplicates;
                      return [&model, inputs](int row) {
                          MailListing message;
                          message.Subject = QStringLiteral("Order [%1] confirmed").arg(row);
                          ExtractRows(message, ExtractionMode::Between, *inputs, model);
                      };
                  });
}

void MeasureExport(const char *name, const std::function<qsizetype()> &build)
{
    QElapsedTimer timer;
    timer.start();
    const qsizetype size = build();
    std::printf("%-34s %lld chars  %.1f ms\n", name, static_cast<long long>(size),
                timer.nsecsElapsed() / 1e6);
}

void MeasureExports()
{
    ResultListModel model;
    for (int row = 0; row < TotalRows; ++row)
        model.append(QStringLiteral("row number %1").arg(row));
    model.setRangeChecked(0, TotalRows / 2, true);
    const ExportTable table(
        model.count(), [&model](qsizetype row) { return model.text(row); }, model.checkStates());
    MeasureExport("clipboard, line per row", [&] { return ClipboardTextEnter(table)->size(); });
    MeasureExport("clipboard, spaces", [&] { return ClipboardTextSpace(table)->size(); });
    MeasureExport("clipboard, tabs", [&] { return ClipboardTextTab(table)->size(); });
    MeasureExport("text file", [&] { return TextFileContents(table).size(); });
    MeasureExport("comma-delimited file", [&] { return CommaDelimitedContents(table).size(); });
    QTemporaryDir folder;
    MeasureExport("text file saved", [&] {
        const QString text = TextFileContents(table);
        SaveTextFile(folder.filePath(QStringLiteral("rows.txt")), text);
        return text.size();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    MeasureAppends();
    MeasureBetween(false);
    MeasureBetween(true);
    if (QCoreApplication::arguments().size() == 1)
        MeasureExports();
    return 0;
}
