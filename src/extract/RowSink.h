#pragma once

#include <QString>

// Where the extraction modes put their rows: appended at the end, one text per row.
class RowSink
{
public:
    virtual ~RowSink() = default;

    virtual void append(const QString &text) = 0;
    // True when some row's text equals `text` exactly (letter case significant).
    virtual bool contains(const QString &text) const = 0;
};
