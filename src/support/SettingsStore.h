#pragma once

#include <QList>
#include <QString>

#include <utility>

// The per-user store of named text values: QSettings("Marlowix", "Tessaline").
// Every value is text; the readers below turn it into what a control needs and throw
// StepFailure on text they cannot convert.

QString GetSetting(const QString &key, const QString &defaultValue = {});
QString GetSetting(const QString &key, int defaultValue);
void SaveSetting(const QString &key, const QString &value);
// Several values in one write of the file.
void SaveSettings(const QList<std::pair<QString, QString>> &values);
// Takes the value out of the file altogether.
void RemoveSetting(const QString &key);

// "True"/"False" in any letter case, or any number (0 false, anything else true).
bool ReadBooleanSetting(const QString &key, int defaultValue);
// A 16-bit whole number.
qint16 ReadWholeNumberSetting(const QString &key, int defaultValue);

// The stored forms.
QString BooleanForm(bool value); // "True" / "False"
QString CheckForm(bool ticked); // "1" / "0"

// Conversions behind the readers, usable on any text.
bool TextToBoolean(const QString &text);
qint16 TextToWholeNumber(const QString &text);

// Tests and the demo point the store at a folder of their own (an INI file inside it).
void UseSettingsFolder(const QString &folder);
// The file that holds the store (created readable by its owner only).
QString SettingsFilePath();
