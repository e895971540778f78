#pragma once

#include <QString>

// Every key the program keeps in the settings store, in one place. The texts are what earlier
// versions stored: changing one loses the user's value.
namespace SettingsKeys {

// Sign-in boxes and the two check boxes under them.
inline const QString User = QStringLiteral("User");
// Only earlier versions kept the "Remember me" password here; it is moved to the secret store.
inline const QString Password = QStringLiteral("Password");
inline const QString StayConnected = QStringLiteral("StayConnected");
inline const QString AutoConnect = QStringLiteral("AutoConnect");
// The folder buttons, "Option3" to "Option10": which one is chosen.
inline QString folderOption(int number)
{
    return QStringLiteral("Option%1").arg(number);
}
// The label and character filters.
inline const QString LabelFilter = QStringLiteral("LabelFilter");
inline const QString GmailSearch = QStringLiteral("GmailSearch");
inline const QString CharactersFilter = QStringLiteral("CharactersFilter");
// The extract-between dialog's markers and include boxes.
inline const QString StartWith = QStringLiteral("StartWith");
inline const QString EndWith = QStringLiteral("EndWith");
inline const QString IncludeStart = QStringLiteral("Check21");
inline const QString IncludeEnd = QStringLiteral("Check22");
// The text sets of the text-set dialog.
inline const QString TextSets = QStringLiteral("Combo1");
// "Keep a local copy of fetched mail text": "1" ticked, "0" not.
inline const QString KeepLocalCopy = QStringLiteral("KeepLocalCopy");
// Bytes downloaded from one account (named by its digest) today: "yyyy-MM-dd bytes".
inline QString dailyDownload(const QString &accountDigest)
{
    return QStringLiteral("DailyDownload/%1").arg(accountDigest);
}

} // namespace SettingsKeys
