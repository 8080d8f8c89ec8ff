#pragma once

#include <array>
#include <filesystem>
#include <string>

class ResourceLibrary;

// Number of face animation parameters in a frame or table row; entry i holds FAP i + 1.
constexpr int kFapCount = 68;
using FapRow = std::array<int, kFapCount>;

constexpr int kExpressionRowCount = 7; // row 0 neutral, then joy ... surprise
constexpr int kVisemeRowCount = 15;    // row 0 neutral, then the fourteen mouth shapes
constexpr int kBlinkRowCount = 2;      // row 0 eyes open, row 1 blink

using ExpressionRows = std::array<FapRow, kExpressionRowCount>;

// The fallback rows used when an expression file is missing; row outside 0-6 gives the neutral row.
const FapRow& builtInExpressionRow(int row);
// The viseme rows at their stored strength (the mixer doubles them); outside 0-14 gives the neutral row.
const FapRow& storedVisemeRow(int row);
// Both upper eyelids down.
const FapRow& blinkRow();

// "Joy.ev" ... "Surprise.ev" for rows 1-6, nullptr otherwise.
const char* expressionFileName(int row);
// Where the file of expression `row` lives below the content root; empty for rows outside 1-6.
std::filesystem::path expressionFilePath(const std::filesystem::path& contentRoot, int row);

// Reads 68 records of two label words and an integer, storing each value into `row` as soon as it is
// read. A file that cannot be opened leaves `row` untouched; one that ends early or holds a malformed
// record keeps what was read before. Returns 1 when all 68 records were read, else 0.
int readExpressionFile(const std::filesystem::path& path, FapRow& row);

// The built-in rows with each expression's file from `expressionsFolder` read over them.
ExpressionRows loadExpressionRows(const std::filesystem::path& expressionsFolder);

// The display name of expression row 0-6: the resource library's text when it holds one, else the
// built-in English name. Returns 0 and leaves `name` alone for rows outside 0-6.
int expressionName(int row, std::string& name, const ResourceLibrary* resources = nullptr);
