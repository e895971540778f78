#pragma once

#include <QString>

#include <optional>

struct CliOptions;

// The password from the file or environment variable the options name (never an argument).
struct PasswordSource
{
    std::optional<QString> password;
    QString problem; // why there is none

    static PasswordSource read(const CliOptions &options);
};
