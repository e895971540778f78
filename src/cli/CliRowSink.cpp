#include "CliRowSink.h"

#include "ExportTable.h"
#include "JsonLines.h"
#include "ResultDestination.h"
#include "ResultFiles.h"

namespace {

// A batch is written once it holds this many characters (about 256 KB of text).
constexpr qsizetype BatchCharacters = 128 * 1024;

QString FormattedRows(OutputFormat format, const QStringList &rows)
{
    if (format == OutputFormat::JsonLines)
        return JsonLinesText(rows);
    const ExportTable table(rows, {});
    return format == OutputFormat::Csv ? CommaDelimitedContents(table) : TextFileContents(table);
}

} // namespace

CliRowSink::CliRowSink(OutputFormat format, ResultDestination &destination, bool keepIndex)
    : m_format(format), m_destination(destination)
{
    if (keepIndex)
        m_index.emplace();
}

void CliRowSink::append(const QString &text)
{
    ++m_rowCount;
    if (m_index)
        m_index->insert(text);
    if (m_failed)
        return;
    m_pending.append(text);
    m_pendingCharacters += text.size();
    if (streams() && m_pendingCharacters >= BatchCharacters)
        writePending();
}

bool CliRowSink::contains(const QString &text) const
{
    return m_index && m_index->contains(text);
}

bool CliRowSink::begin()
{
    if (streams() && !m_destination.open())
        m_failed = true;
    return !m_failed;
}

void CliRowSink::writePending()
{
    if (!m_destination.write(FormattedRows(m_format, m_pending).toUtf8()))
        m_failed = true;
    m_pending.clear();
    m_pendingCharacters = 0;
}

bool CliRowSink::finish()
{
    if (m_failed)
        return false;
    if (!streams())
        return m_destination.writeWhole(FormattedRows(m_format, m_pending));
    if (!m_pending.isEmpty())
        writePending();
    if (!m_failed && !m_destination.commit())
        m_failed = true;
    return !m_failed;
}
