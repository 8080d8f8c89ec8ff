#pragma once

#include "cli/CliArgs.h"
#include "face/FapTables.h"

#include <string>

// Takes --fap N=V (repeatable), --expression ROW[:INTENSITY], --viseme ROW[:INTENSITY] and
// --expressions DIR from `args` and builds the 68 FAP values the way the mixer would: explicit FAPs
// first, then each table row added at intensity / 63 (viseme rows doubled), expression rows read from
// DIR or else from the content root's "Expressions".
FapRow takeFapValues(CliArgs& args);

// Adds a table row the way the mixer blends it: each entry from 2 on becomes
// trunc(intensity / 63 * factor * value + entry). Viseme rows are stored at half strength and use factor 2.
void addTableRow(FapRow& values, const FapRow& row, int intensity, int factor);

// A whole number option value; throws a usage error naming `option` otherwise.
int parseIntOption(const std::string& text, const std::string& option);
