#include "ResultDestination.h"

#include "ResultFiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

ResultDestination::ResultDestination(QString path) : m_path(std::move(path)) { }

ResultDestination::~ResultDestination() = default;

bool ResultDestination::fail(const QString &reason)
{
    const QString where =
        isStandardOutput() ? QStringLiteral("standard output") : QDir::toNativeSeparators(m_path);
    m_error = QStringLiteral("Could not write %1: %2").arg(where, reason);
    return false;
}

bool ResultDestination::open()
{
    if (isStandardOutput()) {
        auto out = std::make_unique<QFile>();
        if (!out->open(fileno(stdout), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return fail(out->errorString());
        m_device = std::move(out);
        return true;
    }
    auto file = std::make_unique<QSaveFile>(m_path);
    if (!file->open(QIODevice::WriteOnly))
        return fail(file->errorString());
    m_device = std::move(file);
    return true;
}

bool ResultDestination::write(const QByteArray &bytes)
{
    if (!m_device)
        return fail(QStringLiteral("not open"));
    if (m_device->write(bytes) != bytes.size() || !m_device->flush())
        return fail(m_device->errorString());
    return true;
}

bool ResultDestination::commit()
{
    if (!m_device)
        return fail(QStringLiteral("not open"));
    if (auto *file = qobject_cast<QSaveFile *>(m_device.get())) {
        if (!file->commit())
            return fail(file->errorString());
        return true;
    }
    return m_device->flush() || fail(m_device->errorString());
}

bool ResultDestination::writeWhole(const QString &text)
{
    if (!isStandardOutput()) {
        m_error = SaveTextFile(m_path, text);
        return m_error.isEmpty();
    }
    return open() && write(text.toUtf8()) && commit();
}
