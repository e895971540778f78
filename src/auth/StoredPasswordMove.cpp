#include "StoredPasswordMove.h"

#include "SecretStore.h"
#include "SettingsStore.h"

StoredPasswordMove::Result StoredPasswordMove::run(SecretStore &secrets, QString *notice)
{
    const QString password = GetSetting(QStringLiteral("Password"));
    if (password.isEmpty())
        return Result::NothingStored;
    const QString user = GetSetting(QStringLiteral("User"));
    if (secrets.write(SecretStore::appPasswordKey(user), password)
        != SecretStore::Outcome::Stored) {
        *notice = QStringLiteral("The remembered password is still in the settings file: %1")
                      .arg(secrets.sessionOnlyNotice());
        return Result::LeftInSettings;
    }
    RemoveSetting(QStringLiteral("Password"));
    return Result::Moved;
}
