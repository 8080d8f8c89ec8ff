#pragma once

#include "CliArgs.h"
#include "FapTables.h"

#include <string>

// Takes --fap N=V (repeatable), --expression ROW[:INTENSITY], --viseme ROW[:INTENSITY] and
// --expressions DIR from `args` and builds the 68 FAP values the way the mixer would: explicit FAPs
// first, then each table row added at intensity / 63 (viseme rows doubled), expression rows read from
// DIR or else from the content root's "Expressions".
FapRow takeFapValues(CliArgs& args);

// A whole number option value; throws a usage error naming `option` otherwise.
int parseIntOption(const std::string& text, const std::string& option);
