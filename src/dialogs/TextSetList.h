#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// The text-set list's stored form: its entries joined by this separator, not escaped, so an
// entry holding the separator comes back as two.
inline constexpr const char *TextSetSeparator = "!!!QWIXL!!!";

QString StoredFormOfTextSets(const QStringList &entries);
// The empty text gives no entries.
QStringList TextSetsFromStoredForm(const QString &stored);

// Appends `entries` at the end without changing which entry the list shows.
void AppendTextSets(QComboBox *combo, const QStringList &entries);

// Writes the list's current entries to the settings store.
void SaveComboList(const QComboBox *combo);

// Appends the lines of the file at `path` that hold more than spaces, untrimmed and in file
// order; a missing file shows "File not found". Does not save the list.
void LoadFileToCombo(QComboBox *combo, const QString &path);
// The lines LoadFileToCombo keeps.
QStringList TextSetLinesOf(const QStringList &fileLines);

// The files an open-file dialog chose: full paths as they are, or, in the folder-and-names form
// (the folder first, then bare names), each name joined to the folder with doubled backslashes
// tidied, so a drive root gives a single backslash.
QStringList ChosenFilePaths(const QStringList &pieces);
