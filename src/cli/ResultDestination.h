#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class TargetFile;

// Where the rows go: standard output, or a file that is replaced only when everything has been
// written (an interrupted or failed run leaves the previous file whole). A device or a FIFO named
// as the file is written straight into.
class ResultDestination
{
public:
    explicit ResultDestination(QString path); // empty path: standard output
    ~ResultDestination(); // a file never committed is dropped
    Q_DISABLE_COPY_MOVE(ResultDestination)

    // Streaming: open once, write pieces, commit at the end.
    bool open();
    bool write(const QByteArray &bytes);
    bool commit();
    // The whole result at once.
    bool writeWhole(const QString &text);

    bool isStandardOutput() const { return m_path.isEmpty(); }
    QString errorText() const { return m_error; }

private:
    bool fail(const QString &reason);

    QString m_path;
    std::unique_ptr<TargetFile> m_target;
    QString m_error;
};
