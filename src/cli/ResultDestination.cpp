#include "ResultDestination.h"

#include "TargetFile.h"

#include <QDir>

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
    m_target =
        isStandardOutput() ? TargetFile::standardOutput() : std::make_unique<TargetFile>(m_path);
    return m_target->open() || fail(m_target->errorString());
}

bool ResultDestination::write(const QByteArray &bytes)
{
    if (!m_target)
        return fail(QStringLiteral("not open"));
    return m_target->write(bytes) || fail(m_target->errorString());
}

bool ResultDestination::commit()
{
    if (!m_target)
        return fail(QStringLiteral("not open"));
    return m_target->commit() || fail(m_target->errorString());
}

bool ResultDestination::writeWhole(const QString &text)
{
    return open() && write(text.toUtf8()) && commit();
}
