#pragma once

#include "face/FapTables.h"

#include <filesystem>
#include <string>

// The text form of an expression row: 68 lines "NAME UNIT VALUE", one per face animation parameter in
// order. The studio skips the two words, so they serve the person editing the file.

// Short name of FAP index 0-67 ("open_jaw" for FAP 3); "unused" outside.
const char* fapLabel(int fapIndex);
// Name of the unit the value is counted in ("MNS", "AU", ... or "none").
const char* fapUnitLabel(int fapIndex);

std::string expressionText(const FapRow& row);

// Writes the text to `path`, replacing it only once complete; 1 on success.
int writeExpressionFile(const std::filesystem::path& path, const FapRow& row);
