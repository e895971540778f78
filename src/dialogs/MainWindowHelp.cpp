#include "MainWindowHelp.h"

#include "HelpTexts.h"
#include "LocalCopyFile.h"
#include "LocalMailCopy.h"
#include "Prompts.h"
#include "Steps.h"

#include <QStringList>

namespace {
// While the user keeps a local copy, or one is left from earlier, the policy names that exception.
QString privacyPolicy()
{
    if (!LocalMailCopy::isWanted() && !LocalMailCopy::anyKept())
        return PrivacyPolicyText();
    return PrivacyPolicyText() + QStringLiteral("\r\r")
        + LocalCopyPrivacyText(LocalCopyFile::folder());
}

// The boxes each button shows, in order.
QStringList helpBoxesOf(const QString &buttonName)
{
    if (buttonName == QLatin1String("PushButton15"))
        return {SignInHelpText(), privacyPolicy()};
    if (buttonName == QLatin1String("PushButton10"))
        return {LineNumberHelpText()};
    if (buttonName == QLatin1String("PushButton16"))
        return {ExtractBetweenHelpText() + QLatin1String("\r\r")};
    if (buttonName == QLatin1String("PushButton18"))
        return {TextSetHelpText()};
    if (buttonName == QLatin1String("PushButton20"))
        return {CharacterFilterHelpText()};
    if (buttonName == QLatin1String("PushButton21"))
        return {LabelFilterHelpText()};
    return {};
}
} // namespace

void ShowMainWindowHelp(const QString &buttonName)
{
    Steps steps(QStringLiteral("Form1.") + buttonName + QStringLiteral("_Click"));
    int step = 100;
    for (const QString &text : helpBoxesOf(buttonName)) {
        steps(step, [&] { Prompts::inform(text); });
        step += 2;
    }
}
