#pragma once

#include "RowSink.h"

#include <QSet>
#include <QStringList>

// The rows of one fuzz run, kept in order with a set for contains().
class FuzzRowSink final : public RowSink
{
public:
    void append(const QString &text) override
    {
        m_rows.append(text);
        m_set.insert(text);
    }
    bool contains(const QString &text) const override { return m_set.contains(text); }

    const QStringList &rows() const { return m_rows; }
    bool hasDuplicates() const { return m_set.size() != m_rows.size(); }

private:
    QStringList m_rows;
    QSet<QString> m_set;
};
