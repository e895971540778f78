#pragma once

#include <QString>

// Stands for an account name wherever the name itself must not go: file names and settings keys.
// The digest never carries path characters, whatever the user typed, and the same account
// always gets the same digest (Gmail ignores letter case and surrounding blanks in names).
QString AccountDigest(const QString &account);
