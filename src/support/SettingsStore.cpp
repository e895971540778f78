#include "SettingsStore.h"

#include "StepFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
QString &settingsFolder()
{
    static QString folder;
    return folder;
}

std::unique_ptr<QSettings> openStore()
{
    if (!settingsFolder().isEmpty())
        return std::make_unique<QSettings>(
            QDir(settingsFolder()).filePath(QStringLiteral("Tessaline.ini")), QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Marlowix"), QStringLiteral("Tessaline"));
}

// The store can hold a password: keep the file to its owner, also when this write creates it.
void restrictToOwner(const QString &path)
{
#ifndef Q_OS_WIN
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.exists())
        file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#else
    Q_UNUSED(path); // the registry carries per-user access rights of its own
#endif
}

// A number written as text; "nan" and "inf" are words, not numbers, to a stored setting.
double numberFromText(const QString &text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw StepFailure(QStringLiteral("Type mismatch"));
    return number;
}
} // namespace

QString GetSetting(const QString &key, const QString &defaultValue)
{
    const auto store = openStore();
    const QVariant value = store->value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

QString GetSetting(const QString &key, int defaultValue)
{
    return GetSetting(key, QString::number(defaultValue));
}

void SaveSetting(const QString &key, const QString &value)
{
    SaveSettings({{key, value}});
}

// The file is written once for all the values, and not at all when it holds them already: a run
// saves the same options again and again.
void SaveSettings(const QList<std::pair<QString, QString>> &values)
{
    const auto store = openStore();
    const bool changed = std::any_of(values.cbegin(), values.cend(), [&store](const auto &entry) {
        return !store->contains(entry.first)
            || store->value(entry.first).toString() != entry.second;
    });
    if (!changed)
        return;
    restrictToOwner(store->fileName());
    for (const auto &[key, value] : values)
        store->setValue(key, value);
    store->sync();
    restrictToOwner(store->fileName());
}

void RemoveSetting(const QString &key)
{
    const auto store = openStore();
    store->remove(key);
    store->sync();
}

bool TextToBoolean(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return numberFromText(trimmed) != 0;
}

qint16 TextToWholeNumber(const QString &text)
{
    const double rounded = std::nearbyint(numberFromText(text)); // halves to the even neighbour
    if (rounded < -32768 || rounded > 32767)
        throw StepFailure(QStringLiteral("Overflow"));
    return static_cast<qint16>(rounded);
}

bool ReadBooleanSetting(const QString &key, int defaultValue)
{
    return TextToBoolean(GetSetting(key, defaultValue));
}

qint16 ReadWholeNumberSetting(const QString &key, int defaultValue)
{
    return TextToWholeNumber(GetSetting(key, defaultValue));
}

QString BooleanForm(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString CheckForm(bool ticked)
{
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

void UseSettingsFolder(const QString &folder)
{
    settingsFolder() = folder;
}

QString SettingsFilePath()
{
    return openStore()->fileName();
}
