#pragma once
// The fixed tables from Bopomofo symbols to phoneme codes, phoneme codes to labels and visemes, and
// viseme numbers to names.

#include <cstdint>
#include <string>

constexpr int16_t kUnknownPhoneme = 255;
constexpr uint16_t kNoViseme = 255;

// Phoneme code of a Big5 symbol (lead byte high); kUnknownPhoneme for tone marks and anything else.
int16_t phonemeOfSymbol(uint16_t big5);
// Phoneme code of the first two bytes of text; kUnknownPhoneme when text is shorter.
int16_t phonemeOfSymbolText(const char* text);
// Phoneme code of one of the acoustic model's phones (upper case, as the pronouncing dictionary writes
// them); a diphthong takes the code of the vowel the mouth spends longest on. kUnknownPhoneme otherwise.
int16_t phonemeOfModelPhone(const std::string& phone);
// "[iy]" and the like; "[?]" for a code without a label.
std::string phonemeLabel(int code);
// Viseme number of a phoneme code; kNoViseme for unknown codes.
uint16_t visemeOfPhoneme(int code);
// Display and short names of visemes 0 to 14; empty for any other number.
std::string visemeName(int viseme);
std::string visemeShortName(int viseme);
