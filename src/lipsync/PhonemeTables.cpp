#include "lipsync/PhonemeTables.h"

#include "Common/Big5Bopomofo.h"

#include <array>

namespace {

struct PhonemeRow {
    int code;
    const char* label; // nullptr: no label
    uint16_t viseme;
};

constexpr std::array<PhonemeRow, 41> kPhonemes{{
    {0, "[_]", 0},     {1, "[iy]", 12},  {2, "[ih]", 12},  {3, "[ae]", 11},   {4, "[aa]", 10},
    {5, "[ah]", 13},   {6, "[ao]", 13},  {7, "[ax]", 13},  {8, "[EY]", 11},   {9, "[EH]", 11},
    {10, "[er]", 9},   {11, "[ow]", 14}, {12, "[uh]", 14}, {13, "[uw]", 14},  {14, "[b]", 1},
    {15, "[p]", 1},    {16, "[d]", 4},   {17, "[t]", 4},   {18, "[g]", 5},    {19, "[k]", 5},
    {20, "[f]", 2},    {21, "[v]", 2},   {22, "[s]", 7},   {23, "[z]", 7},    {24, "[th]", 3},
    {25, "[dh]", 3},   {26, "[sh]", 6},  {27, nullptr, 6}, {28, "[l]", 8},    {29, "[r]", 9},
    {30, nullptr, 12}, {31, "[w]", 14},  {32, "[hh]", 11}, {33, "[m]", 1},    {34, "[n]", 8},
    {35, nullptr, 8},  {36, "[ch]", 6},  {37, "[jh]", 6},  {64, "[ay]", 255}, {65, "[aw]", 255},
    {66, "[oy]", 255},
}};

// Phoneme codes of the 37 Bopomofo letters in Big5 order: A374..A37E, then A3A1..A3BA.
constexpr std::array<int16_t, 37> kLetterPhonemes{14, 15, 33, 20, 16, 17, 34, 28, 18, 19, 32, // ㄅ .. ㄏ
                                                  37, 36, 22, 37, 36, 26, 27, 27, 22, 22,     // ㄐ .. ㄙ
                                                  4,  11, 7,  3,  4,  3,  12, 4,  3,  34, 35,
                                                  34, 29, 1,  12, 13}; // ㄚ .. ㄩ

constexpr std::array<const char*, 15> kVisemeNames{"<Neutral>", "p, b, m",   "f, v", "T, D", "t, d",
                                                   "k, g",      "tS, dZ, S", "s, z", "n, l", "r",
                                                   "A:",        "e",         "I",    "Q",    "U"};
constexpr std::array<const char*, 15> kVisemeShortNames{"neut.", "pbm", "fv", "TD", "td", "kg", "tSdZS", "sz",
                                                        "nl",    "r",   "A:", "e",  "I",  "Q",  "U"};

struct ModelPhone {
    const char* name;
    int16_t code;
};

// NG is made at the back of the tongue like k and g; Y is a short ee; ZH shares the lips of sh.
constexpr std::array<ModelPhone, 39> kModelPhones{{
    {"AA", 4},  {"AE", 3},  {"AH", 5},  {"AO", 6},  {"AW", 4}, {"AY", 4},  {"B", 14},  {"CH", 36},
    {"D", 16},  {"DH", 25}, {"EH", 9},  {"ER", 10}, {"EY", 8}, {"F", 20},  {"G", 18},  {"HH", 32},
    {"IH", 2},  {"IY", 1},  {"JH", 37}, {"K", 19},  {"L", 28}, {"M", 33},  {"N", 34},  {"NG", 18},
    {"OW", 11}, {"OY", 11}, {"P", 15},  {"R", 29},  {"S", 22}, {"SH", 26}, {"T", 17},  {"TH", 24},
    {"UH", 12}, {"UW", 13}, {"V", 21},  {"W", 31},  {"Y", 1},  {"Z", 23},  {"ZH", 26},
}};

const PhonemeRow* findPhoneme(int code)
{
    for (const auto& row : kPhonemes)
        if (row.code == code)
            return &row;
    return nullptr;
}

} // namespace

int16_t phonemeOfSymbol(uint16_t big5)
{
    const int letter = bopomofoLetterIndex(big5);
    return letter >= 0 ? kLetterPhonemes[size_t(letter)] : kUnknownPhoneme;
}

int16_t phonemeOfSymbolText(const char* text)
{
    if (!text || !text[0] || !text[1])
        return kUnknownPhoneme;
    const auto lead = static_cast<unsigned char>(text[0]);
    const auto trail = static_cast<unsigned char>(text[1]);
    return phonemeOfSymbol(static_cast<uint16_t>(lead << 8 | trail));
}

int16_t phonemeOfModelPhone(const std::string& phone)
{
    for (const auto& row : kModelPhones)
        if (phone == row.name)
            return row.code;
    return kUnknownPhoneme;
}

std::string phonemeLabel(int code)
{
    const auto* row = findPhoneme(code);
    return row && row->label ? row->label : "[?]";
}

uint16_t visemeOfPhoneme(int code)
{
    const auto* row = findPhoneme(code);
    return row ? row->viseme : kNoViseme;
}

std::string visemeName(int viseme)
{
    return viseme >= 0 && viseme < 15 ? kVisemeNames[static_cast<size_t>(viseme)] : "";
}

std::string visemeShortName(int viseme)
{
    return viseme >= 0 && viseme < 15 ? kVisemeShortNames[static_cast<size_t>(viseme)] : "";
}
