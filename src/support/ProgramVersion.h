#pragma once

#include <QString>

// The version the build gives the project (CMake's project version), e.g. "1.0".
QString ProgramVersion();
// What `--version` prints for `programName`: "tessaline-cli 1.0", then a line naming the folder
// the runtime files are read from. Needs the application object.
QString VersionText(const QString &programName);
