#include "StoredPasswordMove.h"

#include "SecretStore.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"

StoredPasswordMove::Result StoredPasswordMove::run(SecretStore &secrets, QString *notice)
{
    const QString password = GetSetting(SettingsKeys::Password);
    if (password.isEmpty())
        return Result::NothingStored;
    const QString user = GetSetting(SettingsKeys::User);
    if (secrets.write(SecretStore::appPasswordKey(user), password)
        != SecretStore::Outcome::Stored) {
        *notice = QStringLiteral("No secret store answered (%1), so the remembered password is "
                                 "still in the settings file. It moves to the secret store at the "
                                 "first start where one answers.")
                      .arg(secrets.storeProblem());
        return Result::LeftInSettings;
    }
    RemoveSetting(SettingsKeys::Password);
    return Result::Moved;
}
