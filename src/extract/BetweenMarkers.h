#pragma once

#include <QString>

#include <functional>

class RowSink;

// The markers and options of "Extract Between X and Y (Repeatedly)".
struct BetweenOptions
{
    QString start; // X, as typed
    QString end; // Y, as typed
    bool includeStart = false;
    bool includeEnd = false;
    bool showDuplicates = false;
};

// Why a run with these markers must not start (an empty marker), or empty text when it may.
QString BetweenMarkersProblem(const QString &start, const QString &end);

// Appends every piece of `source` between an X and the next Y after it. Marker search ignores
// letter case; pieces may overlap. With an empty marker nothing is appended.
void ExtractBetween(const QString &source, const BetweenOptions &options, RowSink &rows,
                    const std::function<void()> &letEventsRun = {});
