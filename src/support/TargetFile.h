#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFileDevice;

// Where a save or a run's rows are written. A regular file (or none yet) is replaced only once
// everything is written, keeping its mode, and through a symbolic link the file it points to is
// replaced, not the link. Anything else (a device, a FIFO, /dev/stdout) is written straight into:
// replacing it would put a regular file where the device was and leave its reader waiting.
class TargetFile
{
public:
    explicit TargetFile(QString path);
    // Standard output, written straight into and left open.
    static std::unique_ptr<TargetFile> standardOutput();
    ~TargetFile(); // a replacement never committed is dropped
    Q_DISABLE_COPY_MOVE(TargetFile)

    bool open();
    bool write(const QByteArray &bytes);
    bool commit();
    QString errorString() const { return m_error; }
    // Written straight into rather than replaced; known once open.
    bool writesInPlace() const { return m_inPlace; }

private:
    bool fail(const QString &reason);

    QString m_path;
    std::unique_ptr<QFileDevice> m_device;
    QString m_error;
    bool m_inPlace = false;
};
