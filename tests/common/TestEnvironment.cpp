#include "TestEnvironment.h"

#include "ProgramFolder.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>

TestEnvironment::TestEnvironment()
{
    SetProgramFolder(m_programFolder.path());
    UseSettingsFolder(m_settingsFolder.path());
}

void TestEnvironment::resetSettings()
{
    QFile::remove(SettingsFilePath());
}
