#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the settings store and the program folder at fresh temporary folders for one test
// (or one test case) and restores nothing: each test process owns its folders.
class TestEnvironment
{
public:
    TestEnvironment();
    QString programFolder() const { return m_programFolder.path(); }
    QString settingsFolder() const { return m_settingsFolder.path(); }
    // Forgets every stored setting.
    void resetSettings();

private:
    QTemporaryDir m_programFolder;
    QTemporaryDir m_settingsFolder;
};
