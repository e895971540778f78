#pragma once

#include <QString>

// Shows the help box(es) of one of the main window's help buttons: "PushButton15" (sign-in help,
// then the privacy policy), "PushButton10", "PushButton16", "PushButton18", "PushButton20" or
// "PushButton21". A failure is reported as a failure of that button's click handler.
void ShowMainWindowHelp(const QString &buttonName);
