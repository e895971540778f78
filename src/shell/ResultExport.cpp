#include "ResultExport.h"

#include "ApplicationTitle.h"
#include "ClipboardTexts.h"
#include "ExportTable.h"
#include "FileHelpers.h"
#include "Prompts.h"
#include "ResultFiles.h"
#include "ResultListModel.h"
#include "StepFailure.h"
#include "Steps.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

const QString SaveFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

bool mayOverwrite(const QString &path)
{
    if (!FileExists(path))
        return true;
    const QString question =
        QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
    return Prompts::current().message(ApplicationTitle(), question, Prompts::Buttons::YesNo,
                                      Prompts::Icon::None)
        == Prompts::Answer::Yes;
}

} // namespace

ResultExport::ResultExport(const ResultListModel &results, WindowHooks hooks)
    : m_results(results), m_hooks(std::move(hooks))
{
}

ExportTable ResultExport::table() const
{
    const ResultListModel &results = m_results;
    return ExportTable(
        results.count(), [&results](qsizetype row) { return results.text(row); },
        results.checkStates());
}

void ResultExport::copyLinePerRow()
{
    copyToClipboard(QStringLiteral("Main.CopyListViewToClipboardEnter"), ClipboardTextEnter,
                    SelLength::Reported);
}

void ResultExport::copyWithTabs(const QString &handler)
{
    copyWithNotice(handler, QStringLiteral("Main.CopyListViewToClipboardTab"), ClipboardTextTab);
}

void ResultExport::copyWithSpaces(const QString &handler)
{
    copyWithNotice(handler, QStringLiteral("Main.CopyListViewToClipboardSpace"),
                   ClipboardTextSpace);
}

void ResultExport::copyWithNotice(const QString &handler, const QString &routine,
                                  ClipboardText makeText)
{
    Steps steps(handler);
    steps(100, [&] {
        m_hooks.setStatusText(QStringLiteral("Copying text to clipboard.. please wait.."));
    });
    steps(102, [&] { m_hooks.showBusy(); });
    steps(104, [&] { copyToClipboard(routine, makeText); });
    steps(106, [&] {
        Prompts::inform(QStringLiteral("Results have been copied to the clipboard.\r\rClick a text "
                                       "area where you normally type and press Ctrl+V to paste "
                                       "the clipboard."));
    });
    steps(108, [&] { m_hooks.showDefaultPointer(); });
    steps(110, [&] { m_hooks.setStatusText(QStringLiteral("Progress Bar")); });
}

// An empty list leaves the clipboard alone; otherwise it receives the text of the ticked rows.
void ResultExport::copyToClipboard(const QString &routine, ClipboardText makeText,
                                   SelLength selLength)
{
    Steps steps(routine);
    std::optional<QString> text;
    if (selLength == SelLength::Reported)
        steps.setReportSuffix([&] { return SelLengthReportLine(text.value_or(QString())); });
    steps(100, [&] { text = makeText(table()); });
    if (!text)
        return;
    steps(102, [&] {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(*text);
    });
}

void ResultExport::saveTextFile(const QString &handler)
{
    save(handler, TextFileContents);
}

void ResultExport::saveCommaDelimited(const QString &handler)
{
    save(handler, CommaDelimitedContents);
}

void ResultExport::save(const QString &handler, FileContents makeContents)
{
    Steps steps(handler);
    QString path;
    steps(100, [&] { path = Prompts::current().saveFileName(QStringLiteral("Save"), SaveFilter); });
    if (path.isEmpty())
        return;
    bool overwrite = true;
    steps(102, [&] { overwrite = mayOverwrite(path); });
    if (!overwrite)
        return;
    steps(104, [&] { m_hooks.showBusy(); });
    steps(106, [&] {
        const QString failure = SaveTextFile(path, makeContents(table()));
        if (!failure.isEmpty())
            throw StepFailure(failure);
    });
    steps(108, [&] { m_hooks.showDefaultPointer(); });
}
