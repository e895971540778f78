#include "LineNumberEntry.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

const QChar Comma = QLatin1Char(',');

bool FitsSixteenBits(double value)
{
    return value >= -32768.0 && value <= 32767.0;
}

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1.0;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

QString OutOfRangeText(const QString &piece)
{
    return QStringLiteral("Overflow: the line number \"%1\" is outside the range -32768 to 32767.")
        .arg(piece.trimmed());
}

QString NotNumericText(const QString &piece)
{
    return QStringLiteral("Type mismatch: the line number \"%1\" is not a number.").arg(piece);
}

} // namespace

bool IsNumericText(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?[ \\t]*$"));
    return number.match(text).hasMatch();
}

bool IsValidLineNumberEntry(const QString &entry)
{
    if (entry.isEmpty())
        return false;
    const QStringList pieces = entry.split(Comma);
    return std::all_of(pieces.cbegin(), pieces.cend(), IsNumericText);
}

bool LineNumberList::picks(qsizetype lineNumber) const
{
    const double wanted = static_cast<double>(lineNumber);
    return std::find(numbers.cbegin(), numbers.cend(), wanted) != numbers.cend();
}

LineNumberList ParseLineNumbers(const QString &entry)
{
    LineNumberList list;
    if (entry.isEmpty())
        return list;
    for (const QString &piece : entry.split(Comma)) {
        // The entry box stays editable during a run, so a piece may no longer be a number.
        if (!IsNumericText(piece)) {
            if (list.failure.isEmpty())
                list.failure = NotNumericText(piece);
            continue;
        }
        const double value = piece.trimmed().toDouble();
        const double rounded = RoundHalfToEven(value);
        if (std::isfinite(rounded) && FitsSixteenBits(rounded)) {
            list.numbers.append(rounded);
        } else {
            if (list.failure.isEmpty())
                list.failure = OutOfRangeText(piece);
            list.numbers.append(value);
        }
    }
    return list;
}
