#pragma once

#include <QString>
#include <QStringView>

// Where the extraction modes put their rows: appended at the end, one text per row.
class RowSink
{
public:
    virtual ~RowSink() = default;

    virtual void append(const QString &text) = 0;
    // A row that is a piece of a longer text (a body line). A sink that only passes rows on can
    // take it without a copy; by default it becomes a row like any other.
    virtual void appendPart(QStringView text) { append(text.toString()); }
    // True when some row's text equals `text` exactly (letter case significant).
    virtual bool contains(const QString &text) const = 0;
};
