#pragma once

#include "CliOptions.h"
#include "RowSink.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>

#include <optional>

class ResultDestination;

// Rows of a command-line run, written in the chosen format. Lines and JSON lines go out in
// batches as they come, so memory stays bounded however big the mailbox; the comma-delimited
// file is one single line and is written at the end. Only a run that hides duplicates keeps an
// index of the row texts (contains() answers from it).
class CliRowSink final : public RowSink
{
public:
    CliRowSink(OutputFormat format, ResultDestination &destination, bool keepIndex);

    void append(const QString &text) override;
    void appendPart(QStringView text) override;
    bool contains(const QString &text) const override;

    // Starts the output (streaming formats); false when the destination cannot be opened.
    bool begin();
    // Writes whatever is still held; false when any write failed.
    bool finish();
    bool failed() const { return m_failed; }
    qint64 rowCount() const { return m_rowCount; }

private:
    bool streams() const { return m_format != OutputFormat::Csv; }
    void addStreamed(QStringView text);
    void appendFormatted(QStringView text);
    void writePending();

    OutputFormat m_format;
    ResultDestination &m_destination;
    QStringList m_wholeRows; // the comma-delimited file's rows, written at the end
    QByteArray m_pending; // streamed rows, formatted, not yet written
    std::optional<QSet<QString>> m_index;
    qint64 m_rowCount = 0;
    bool m_failed = false;
};
