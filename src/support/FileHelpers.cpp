#include "FileHelpers.h"

#include "StepFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
const QLatin1Char Backslash('\\');

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes keep their value.
QString fromWindows1252(const QByteArray &bytes)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text = QString::fromLatin1(bytes);
    for (QChar &c : text)
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar(high[c.unicode() - 0x80]);
    return text;
}

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8); // drops a leading byte-order mark
    const QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw StepFailure(QStringLiteral("File not found"));
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw StepFailure(QStringLiteral("Permission denied"));
    return file.readAll();
}

QString collapsePairs(QString text)
{
    return text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
}
} // namespace

bool FileExists(const QString &path) noexcept
{
    try {
        return !path.isEmpty() && QFileInfo::exists(path);
    } catch (...) {
        return false;
    }
}

QStringList ReadTextFileLines(const QString &path)
{
    const QString text = decodeText(readWholeFile(path));
    if (text.isEmpty())
        return {QString()};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) // a final line end closes the last line; it opens no new one
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

QString CollapseBackslashes(const QString &path)
{
    if (!path.startsWith(Backslash))
        return collapsePairs(path);
    qsizetype firstOther = 1;
    while (firstOther < path.size() && path.at(firstOther) == Backslash)
        ++firstOther;
    return QStringLiteral("\\\\") + collapsePairs(path.mid(firstOther));
}
