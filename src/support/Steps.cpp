#include "Steps.h"

#include "Prompts.h"
#include "StepFailure.h"

#include <exception>

namespace {
const char *const BuildTag = "Tessaline2021/08/31";
}

Steps::Steps(QString location) : m_location(std::move(location)) { }

bool Steps::operator()(int number, const std::function<void()> &step)
{
    QString description;
    try {
        step();
        return true;
    } catch (const StepFailure &failure) {
        description = failure.description();
    } catch (const std::exception &failure) {
        description = QString::fromLocal8Bit(failure.what());
    } catch (...) {
        description = QStringLiteral("Unknown error");
    }
    ++m_failures;
    QString text = ErrorReportText(description, m_location, number);
    if (m_suffix)
        text += QLatin1Char('\r') + m_suffix();
    ShowErrorReport(text);
    return false;
}

void Steps::setReportSuffix(std::function<QString()> suffix)
{
    m_suffix = std::move(suffix);
}

QString ErrorReportText(const QString &description, const QString &location, int step)
{
    return description + QLatin1String("\r\n") + QLatin1String("in ") + QLatin1String(BuildTag)
        + QLatin1Char('.') + location + QLatin1Char(' ') + QLatin1String("at line ")
        + QString::number(step) + QLatin1String("\r\r")
        + QLatin1String("Please email screenshot of this message to ")
        + QLatin1String(SupportEmailAddress);
}

void ShowErrorReport(const QString &text)
{
    Prompts::current().message(QStringLiteral("Application Error"), text, Prompts::Buttons::Ok,
                               Prompts::Icon::Warning);
}
