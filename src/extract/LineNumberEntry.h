#pragma once

#include <QList>
#include <QString>

// A number with optional sign, decimal point, exponent and surrounding blanks.
bool IsNumericText(const QString &text);

// The check made before a lines-by-number run: at least one comma-separated piece, each numeric.
// An empty entry or an empty piece rejects it.
bool IsValidLineNumberEntry(const QString &entry);

// The line numbers an entry picks, made afresh for every message.
struct LineNumberList
{
    // Whole numbers rounded half to even; a piece outside the 16-bit range keeps its value as
    // written (so matches a line only when it is a whole number).
    QList<double> numbers;
    // Why a piece could not become a 16-bit whole number; empty when every piece could.
    QString failure;

    bool picks(qsizetype lineNumber) const;
};

LineNumberList ParseLineNumbers(const QString &entry);
