#pragma once

#include <QString>

#include <functional>

// Runs the numbered steps of one user-facing routine. A step that throws is reported in the
// "Application Error" box with the routine's location and the step number, and the routine goes
// on with its next step.
//
//     Steps steps("Form1.Form_Load");
//     steps(100, [&] { ApplyVisualSkin(); });
class Steps
{
public:
    // `location` is "<window or module>.<routine>", e.g. "Form1.Form_Load".
    explicit Steps(QString location);

    // Runs `step` under `number`; returns false when it failed (after reporting it).
    bool operator()(int number, const std::function<void()> &step);

    // Extra text appended to the report (a carriage return first), e.g. "SelLength: 12".
    void setReportSuffix(std::function<QString()> suffix);

    int failures() const { return m_failures; }

private:
    QString m_location;
    std::function<QString()> m_suffix;
    int m_failures = 0;
};

// The report text for a failure with `description` at `step` of `location`.
QString ErrorReportText(const QString &description, const QString &location, int step);
// Shows the "Application Error" box for `text`.
void ShowErrorReport(const QString &text);

// The support address the report asks for a screenshot.
inline constexpr const char *SupportEmailAddress = "support@tessaline.example";
