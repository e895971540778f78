#include "SilentPrompts.h"

Prompts::Answer SilentPrompts::message(const QString &, const QString &, Buttons buttons, Icon)
{
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

std::optional<QString> SilentPrompts::input(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

QString SilentPrompts::saveFileName(const QString &, const QString &, const QString &)
{
    return {};
}

QStringList SilentPrompts::openFileNames(const QString &, const QString &)
{
    return {};
}

bool SilentPrompts::openWithDefaultProgram(const QString &)
{
    return false;
}
