#pragma once

#include <QString>

// The fixed texts of the help boxes. Lines are separated by single carriage returns unless a
// text says otherwise.

// The worked example of extract-between (the dialog's Help and the main window's "Help >").
QString ExtractBetweenHelpText();
// The worked example of the text sets (the dialog's Help and the main window's "Help >").
QString TextSetHelpText();
// The worked example of lines by number.
QString LineNumberHelpText();
// Sign-in help: app passwords, signing in with Google, and the accounts that work.
QString SignInHelpText();
QString PrivacyPolicyText();
// The paragraph the privacy policy adds while a local copy of mail text is wanted or still kept
// in `folder`.
QString LocalCopyPrivacyText(const QString &folder);
QString CharacterFilterHelpText();
// Three lines separated by CR LF.
QString LabelFilterHelpText();

// The addresses the help texts point to.
inline constexpr const char *DownloadPageAddress = "https://www.tessaline.example/download";
inline constexpr const char *LabelHelpAddress = "https://support.google.com/mail/answer/118708";
