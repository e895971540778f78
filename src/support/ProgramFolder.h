#pragma once

#include <QString>

// The folder that holds errorlog.txt, HAND-M.CUR, Pictures/ and x/o.cjs: the executable's folder
// unless overridden (tests use a temporary folder).
QString ProgramFolder();
void SetProgramFolder(const QString &folder);
// ProgramFolder() joined with a relative path written with '/' separators.
QString ProgramFilePath(const QString &relative);
