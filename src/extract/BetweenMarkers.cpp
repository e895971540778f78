#include "BetweenMarkers.h"

#include "RowSink.h"
#include "TextRules.h"

namespace {

void AddPiece(const QString &piece, const BetweenOptions &options, RowSink &rows)
{
    if (piece.isEmpty())
        return;
    if (options.showDuplicates || !rows.contains(piece))
        rows.append(piece);
}

} // namespace

QString BetweenMarkersProblem(const QString &start, const QString &end)
{
    if (start.isEmpty() && end.isEmpty())
        return QStringLiteral("Please enter the start text (X) and the end text (Y) first.");
    if (start.isEmpty())
        return QStringLiteral("Please enter the start text (X) first.");
    if (end.isEmpty())
        return QStringLiteral("Please enter the end text (Y) first.");
    return {};
}

void ExtractBetween(const QString &source, const BetweenOptions &options, RowSink &rows,
                    const std::function<void()> &letEventsRun)
{
    // An empty X would never advance the scan; the markers may have been cleared mid-run.
    if (!BetweenMarkersProblem(options.start, options.end).isEmpty())
        return;
    const QString lowered = LowerCaseSameLength(source);
    const QString start = LowerCaseSameLength(options.start);
    const QString end = LowerCaseSameLength(options.end);
    const qsizetype startLength = start.size();
    // The text still to scan is lowered[offset..]; it holds a Y while the last Y begins in it.
    const qsizetype lastEnd = lowered.lastIndexOf(end);
    qsizetype offset = 0;
    while (lastEnd >= offset) {
        const qsizetype startAt = lowered.indexOf(start, offset);
        if (startAt < 0)
            break;
        if (letEventsRun)
            letEventsRun();
        // The Y search begins one character after this X, so a Y may begin inside it.
        const qsizetype endAt = lowered.indexOf(end, startAt + 1);
        const qsizetype pieceStart = startAt + startLength;
        offset = pieceStart;
        if (endAt < pieceStart)
            continue; // no Y after this X, or the Y found begins inside it
        QString piece = source.mid(pieceStart, endAt - pieceStart);
        if (options.includeStart)
            piece.prepend(options.start);
        if (options.includeEnd)
            piece.append(options.end);
        AddPiece(piece, options, rows);
    }
}
