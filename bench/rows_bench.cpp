// Rows into the result list and exports of a million rows. Prints per-100,000-row costs and
// the ratio of the last batch to the first: cost per row must stay flat as the list grows.

#include "ClipboardTexts.h"
#include "FixedModeInputs.h"
#include "MessageRows.h"
#include "ResultFiles.h"
#include "ResultListModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
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

// Runs `addRow(i)` for every row, timing each batch (wall and processor time); the view is told
// between batches.
void MeasureGrowth(const char *name, ResultListModel &model, const std::function<void(int)> &addRow)
{
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
    std::printf("%-34s rows %lld  first %.1f ms  last %.1f ms  ratio last/first %.2f  "
                "(processor time %.2f)\n",
                name, static_cast<long long>(model.count()), wall.first() / 1e6, wall.last() / 1e6,
                double(wall.last()) / double(wall.first()),
                double(cpu.last()) / double(cpu.first()));
}

void MeasureAppends()
{
    ResultListModel model;
    MeasureGrowth("append", model, [&](int row) { model.append(QString::number(row)); });
}

// One message per row through extract-between, so each row pays the duplicate check.
void MeasureBetween(bool showDuplicates)
{
    ResultListModel model;
    FixedModeInputs inputs;
    inputs.startMarker = QStringLiteral("[");
    inputs.endMarker = QStringLiteral("]");
    inputs.duplicatesShown = showDuplicates;
    MailListing message;
    MeasureGrowth(showDuplicates ? "between, duplicates shown" : "between, duplicates hidden",
                  model, [&](int row) {
                      message.Subject = QStringLiteral("Order [%1] confirmed").arg(row);
                      ExtractRows(message, ExtractionMode::Between, inputs, model);
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
    MeasureExports();
    return 0;
}
