#pragma once

#include <QString>

// The executable's folder unless overridden (tests use a temporary folder).
QString ProgramFolder();
void SetProgramFolder(const QString &folder);

// The folder of the runtime files (Pictures/, HAND-M.CUR, x/o.cjs) of an installed program:
// share/tessaline beside the bin/ folder that holds it. Empty when the program runs from its
// build folder or a copied folder, and while a test chose the program folder.
QString InstalledDataFolder();

// InstalledDataFolder() when the program is installed, otherwise ProgramFolder().
QString RuntimeFolder();
// A runtime file by a relative path written with '/' separators, inside RuntimeFolder().
QString ProgramFilePath(const QString &relative);
