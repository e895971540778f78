#pragma once

#include <QString>

inline constexpr const char *ProductName = "Tessaline";

// The title of every message box that has none of its own.
QString ApplicationTitle();
// Derives the title from the product name; call once at start-up.
void SetApplicationTitle();
// The title rule on any name: drop the last word once, then while longer than 40 characters.
QString TitleFromProductName(const QString &productName);
