#include "TextSetList.h"
#include "SettingsKeys.h"

#include "FileHelpers.h"
#include "Prompts.h"
#include "SettingsStore.h"

#include <QComboBox>

#include <algorithm>

namespace {
// Only blanks count as empty room around a line; a tab is text a line may be searched for.
bool holdsOnlySpaces(const QString &line)
{
    return std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c == QLatin1Char(' '); });
}

bool isBareName(const QString &piece)
{
    return !piece.contains(QLatin1Char('/')) && !piece.contains(QLatin1Char('\\'));
}

bool isFolderAndNames(const QStringList &pieces)
{
    return pieces.size() > 1 && std::all_of(pieces.cbegin() + 1, pieces.cend(), isBareName);
}

// Folders written with forward slashes keep them; drive and share paths take backslashes.
QString joinedPath(const QString &folder, const QString &name)
{
    const bool forwardSlashes =
        folder.contains(QLatin1Char('/')) && !folder.contains(QLatin1Char('\\'));
    if (!forwardSlashes)
        return CollapseBackslashes(folder + QLatin1Char('\\') + name);
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QStringList entriesOf(const QComboBox *combo)
{
    QStringList entries;
    for (int index = 0; index < combo->count(); ++index)
        entries.append(combo->itemText(index));
    return entries;
}
} // namespace

QString StoredFormOfTextSets(const QStringList &entries)
{
    return entries.join(QLatin1String(TextSetSeparator));
}

QStringList TextSetsFromStoredForm(const QString &stored)
{
    if (stored.isEmpty())
        return {};
    return stored.split(QLatin1String(TextSetSeparator), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

void SaveComboList(const QComboBox *combo)
{
    SaveSetting(SettingsKeys::TextSets, StoredFormOfTextSets(entriesOf(combo)));
}

QStringList TextSetLinesOf(const QStringList &fileLines)
{
    QStringList kept;
    for (const QString &line : fileLines)
        if (!holdsOnlySpaces(line))
            kept.append(line);
    return kept;
}

void LoadFileToCombo(QComboBox *combo, const QString &path)
{
    if (!FileExists(path)) {
        Prompts::inform(QStringLiteral("File not found"));
        return;
    }
    AppendTextSets(combo, TextSetLinesOf(ReadTextFileLines(path)));
}

void AppendTextSets(QComboBox *combo, const QStringList &entries)
{
    // Appending to an empty list would select its first entry; choosing stays the user's.
    const int shown = combo->currentIndex();
    combo->addItems(entries);
    combo->setCurrentIndex(shown);
}

QStringList ChosenFilePaths(const QStringList &pieces)
{
    if (!isFolderAndNames(pieces))
        return pieces;
    QStringList paths;
    for (qsizetype index = 1; index < pieces.size(); ++index)
        paths.append(joinedPath(pieces.first(), pieces.at(index)));
    return paths;
}
