#pragma once

#include <QString>

#include <stdexcept>

// A failed step of a user-facing routine: the description the error report shows.
class StepFailure : public std::runtime_error
{
public:
    explicit StepFailure(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString &description() const { return m_description; }

private:
    QString m_description;
};
