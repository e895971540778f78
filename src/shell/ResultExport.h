#pragma once

#include <QString>

#include <functional>
#include <optional>

class ExportTable;
class ResultListModel;

// The result list's copies to the clipboard and saves to a file. Copies take the ticked rows,
// saves every row; a save asks before it replaces a file and never destroys it on failure.
class ResultExport
{
public:
    // What an export needs of its window: the status text and the busy pointer.
    struct WindowHooks
    {
        std::function<void(const QString &text)> setStatusText;
        std::function<void()> showBusy;
        std::function<void()> showDefaultPointer;
    };

    ResultExport(const ResultListModel &results, WindowHooks hooks);

    void copyLinePerRow(); // "Copy Results To Clipboard"
    void copyWithTabs(const QString &handler); // "Copy To Clipboard (With Tabs)"
    void copyWithSpaces(const QString &handler); // "Copy To Clipboard (With Spaces)"
    void saveTextFile(const QString &handler); // "Save Results As Text File"
    void saveCommaDelimited(const QString &handler); // "Save As Comma Delimited"

private:
    using ClipboardText = std::optional<QString> (*)(const ExportTable &);
    using FileContents = QString (*)(const ExportTable &);

    void copyWithNotice(const QString &handler, const QString &routine, ClipboardText makeText);
    // Whether a failure report names the length of the text built so far.
    enum class SelLength { Omitted, Reported };

    void copyToClipboard(const QString &routine, ClipboardText makeText,
                         SelLength selLength = SelLength::Omitted);
    void save(const QString &handler, FileContents makeContents);
    ExportTable table() const;

    const ResultListModel &m_results;
    WindowHooks m_hooks;
};
