#include "CliRowSink.h"

#include "ExportTable.h"
#include "JsonLines.h"
#include "ResultDestination.h"
#include "ResultFiles.h"
#include "Utf8Append.h"

namespace {

// A batch is written once it holds this many bytes.
constexpr qsizetype BatchBytes = 256 * 1024;

// As the output module's text file: each row, then CR LF.
void AppendTextLine(QStringView text, QByteArray &out)
{
    AppendUtf8(text, out);
    out += "\r\n";
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
    if (m_index)
        m_index->insert(text);
    if (streams())
        return addStreamed(text);
    ++m_rowCount;
    if (!m_failed)
        m_wholeRows.append(text);
}

void CliRowSink::appendPart(QStringView text)
{
    // Only a streamed row without an index can go on without being copied.
    if (m_index || !streams())
        return append(text.toString());
    addStreamed(text);
}

void CliRowSink::addStreamed(QStringView text)
{
    ++m_rowCount;
    if (m_failed)
        return;
    appendFormatted(text);
    if (m_pending.size() >= BatchBytes)
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
    m_pending.reserve(BatchBytes);
    return !m_failed;
}

void CliRowSink::appendFormatted(QStringView text)
{
    if (m_format == OutputFormat::JsonLines)
        AppendJsonLine(text, m_pending);
    else
        AppendTextLine(text, m_pending);
}

void CliRowSink::writePending()
{
    if (!m_destination.write(m_pending))
        m_failed = true;
    m_pending.resize(0); // keeps the buffer for the next batch
}

bool CliRowSink::finish()
{
    if (m_failed)
        return false;
    if (!streams())
        return m_destination.writeWhole(CommaDelimitedContents(ExportTable(m_wholeRows, {})));
    if (!m_pending.isEmpty())
        writePending();
    if (!m_destination.commit())
        m_failed = true;
    return !m_failed;
}
