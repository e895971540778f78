#include "TargetFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

#include <sys/stat.h>

namespace {

// Links into /proc (/dev/stdout, /dev/fd/N) name an open descriptor, whatever it is: replacing
// the file behind one would leave the descriptor's holder writing to a removed file.
bool leadsIntoProc(const QString &path)
{
    QFileInfo link(path);
    for (int depth = 0; depth < 40 && link.isSymLink(); ++depth) {
        const QString target = link.symLinkTarget();
        if (target.startsWith(QLatin1String("/proc/")))
            return true;
        link.setFile(target);
    }
    return false;
}

bool isSomethingButRegularFile(const QString &path)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false; // nothing there yet (or a dangling link): a new file is made
    return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

} // namespace

TargetFile::TargetFile(QString path) : m_path(std::move(path)) { }

TargetFile::~TargetFile() = default;

std::unique_ptr<TargetFile> TargetFile::standardOutput()
{
    auto target = std::make_unique<TargetFile>(QString());
    auto out = std::make_unique<QFile>();
    target->m_inPlace = true;
    if (!out->open(fileno(stdout), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        target->m_error = out->errorString();
    target->m_device = std::move(out);
    return target;
}

bool TargetFile::fail(const QString &reason)
{
    m_error = reason;
    if (auto *replacement = qobject_cast<QSaveFile *>(m_device.get()))
        replacement->cancelWriting();
    return false;
}

bool TargetFile::open()
{
    if (m_device) // standard output, opened when made
        return m_device->isOpen();
    m_inPlace = isSomethingButRegularFile(m_path) || leadsIntoProc(m_path);
    if (m_inPlace) {
        auto file = std::make_unique<QFile>(m_path);
        const bool opened = file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        m_device = std::move(file);
        return opened || fail(m_device->errorString());
    }
    // QSaveFile replaces the file a link points to and gives the replacement the old mode.
    auto file = std::make_unique<QSaveFile>(m_path);
    const bool opened = file->open(QIODevice::WriteOnly);
    m_device = std::move(file);
    return opened || fail(m_device->errorString());
}

bool TargetFile::write(const QByteArray &bytes)
{
    if (!m_device || !m_device->isOpen())
        return fail(QStringLiteral("not open"));
    if (m_device->write(bytes) != bytes.size() || !m_device->flush())
        return fail(m_device->errorString());
    return true;
}

bool TargetFile::commit()
{
    if (!m_device || !m_device->isOpen())
        return fail(QStringLiteral("not open"));
    if (auto *replacement = qobject_cast<QSaveFile *>(m_device.get())) {
        if (!replacement->commit())
            return fail(replacement->errorString());
        return true;
    }
    const bool flushed = m_device->flush();
    m_device->close();
    return flushed || fail(m_device->errorString());
}
