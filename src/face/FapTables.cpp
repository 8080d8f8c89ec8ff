#include "face/FapTables.h"

#include "Common/ResourceLibrary.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <utility>

namespace {

// A table row written as (FAP number, value) pairs; unlisted FAPs are 0.
using FapEntries = std::initializer_list<std::pair<int, int>>;

constexpr FapRow makeRow(FapEntries entries)
{
    FapRow row{};
    for (const auto& [fap, value] : entries)
        row[static_cast<size_t>(fap - 1)] = value;
    return row;
}

// clang-format off
constexpr ExpressionRows kBuiltInExpressions = {
    FapRow{},
    // joy
    makeRow({{3, 70},   {4, -72},  {5, -72},  {6, 42},   {7, 83},   {8, -144}, {9, -144}, {10, -3},  {11, -3},
             {12, 188}, {13, 226}, {15, 8},   {21, 440}, {22, 400}, {31, 90},  {32, 81},  {33, 137}, {34, 72},
             {35, -72}, {36, -110}, {37, 7},  {38, 13},  {39, 36},  {40, 28},  {41, 125}, {42, 133}, {51, -48},
             {52, -88}, {53, 7},   {54, 21},  {55, -70}, {56, -54}, {57, -20}, {58, -54}, {59, 228}, {60, 266}}),
    // sadness
    makeRow({{4, -222}, {5, 177},  {6, 77},   {7, 67},   {8, -262}, {9, -259}, {10, 150}, {11, 180}, {12, -202},
             {13, -176}, {15, 5},  {18, 89},  {19, 139}, {20, 117}, {21, 298}, {22, 237}, {31, 138}, {32, 128},
             {33, 81},  {34, 87},  {35, -81}, {36, -150}, {37, -15}, {39, -4}, {40, -46}, {41, 48},  {42, 35},
             {51, -256}, {52, 69}, {53, -8},  {54, -11}, {55, -293}, {56, -292}, {57, 96}, {58, 90}, {59, -321},
             {60, -276}, {61, 28}, {62, 28}}),
    // anger
    makeRow({{3, 83},   {4, -331}, {5, 49},   {6, 82},   {7, 71},   {8, -365}, {9, -362}, {10, 55},  {11, 70},
             {12, -55}, {13, -81}, {18, -98}, {19, 94},  {21, 266}, {22, 177}, {31, -212}, {32, -218},
             {33, -262}, {34, -228}, {37, 129}, {38, 134}, {39, -36}, {40, -37}, {41, 72}, {42, 77},
             {51, -325}, {52, 20}, {53, 16},  {54, 4},   {55, -331}, {56, -353}, {57, 91}, {58, 105},
             {59, -122}, {60, -180}, {61, 35}, {62, 42}}),
    // fear
    makeRow({{3, 465},  {4, -176}, {5, -465}, {6, 28},   {7, 27},   {8, -203}, {9, -207}, {10, -450},
             {11, -444}, {12, -238}, {13, -228}, {18, 49}, {19, -382}, {20, -363}, {21, -183}, {22, -265},
             {31, 116}, {32, 124}, {33, 275}, {34, 244}, {35, 146}, {36, 123}, {37, -25}, {38, 6}, {39, -42},
             {40, -65}, {41, -97}, {42, -110}, {51, -98}, {52, -558}, {53, -62}, {54, -46}, {55, -171},
             {56, -172}, {57, -422}, {58, -447}, {59, -243}, {60, -278}, {61, 55}, {62, 38}}),
    // disgust
    makeRow({{3, -136}, {4, -251}, {5, 142},  {6, 28},   {7, 161},  {8, -191}, {9, -433}, {10, 184}, {11, 211},
             {12, 131}, {13, 278}, {18, 120}, {19, 132}, {20, 400}, {21, 129}, {22, 347}, {31, -90}, {32, -231},
             {33, -45}, {34, -296}, {35, 48}, {36, -90}, {37, 95},  {38, 135}, {39, 47},  {40, 54},  {41, 139},
             {42, 144}, {51, -264}, {52, 60}, {53, 52},  {54, 116}, {55, -132}, {56, -380}, {57, 60}, {58, 54},
             {59, 160}, {60, 283}, {61, 27},  {62, 62}}),
    // surprise
    makeRow({{3, 118},  {4, -109}, {5, -186}, {6, 6},    {7, 18},   {8, -194}, {9, -164}, {10, -160},
             {11, -179}, {12, -45}, {13, -59}, {19, -548}, {20, -612}, {21, -227}, {22, -296}, {31, 250},
             {32, 258}, {33, 389}, {34, 325}, {35, 221}, {36, 174}, {37, 18}, {38, 23}, {39, -49}, {40, -65},
             {41, -71}, {42, -56}, {51, -70}, {52, -331}, {53, -58}, {54, -32}, {55, -86}, {56, -45},
             {57, -206}, {58, -239}, {59, -38}, {60, -30}, {61, 28}, {62, 35}}),
};

constexpr std::array<FapRow, kVisemeRowCount> kStoredVisemes = {
    FapRow{},
    // 1 p, b, m
    makeRow({{4, -40}, {5, 38}, {8, -38}, {9, -21}, {10, 19}, {11, 19}, {52, 36}, {57, 19}, {58, 36}}),
    // 2 f, v
    makeRow({{3, 65},   {4, -171}, {5, 58},  {6, -37},  {7, 26},   {8, -149}, {9, -137}, {10, 92},  {11, 80},
             {12, 67},  {13, 77},  {15, -1}, {18, 187}, {39, -51}, {40, 6},   {41, 46},  {42, -11}, {51, -52},
             {52, 147}, {53, 7},   {54, 23}, {55, -31}, {56, -43}, {57, 70},  {58, 54},  {59, 41},  {60, 44},
             {61, -1},  {62, -11}, {63, 22}, {64, -20}}),
    // 3 T, D
    makeRow({{4, -90}, {6, -68}, {7, -70}, {8, -72}, {9, -90}, {12, 32}, {13, 32}, {39, -36}, {40, -31},
             {51, -156}, {52, -2}, {53, -65}, {54, -68}, {55, -36}, {56, -34}, {57, 54}, {58, 54}, {59, 44},
             {60, 71}}),
    // 4 t, d
    makeRow({{3, 44}, {4, -51}, {5, -119}, {8, -34}, {9, -54}, {10, -100}, {11, -99}, {18, -54}, {39, -9},
             {40, -18}, {51, -96}, {52, -133}, {55, -36}, {56, -34}, {57, -122}, {58, -124}}),
    // 5 k, g
    makeRow({{3, 44}, {4, -51}, {5, -119}, {8, -34}, {9, -54}, {10, -100}, {11, -99}, {18, -54}, {51, -96},
             {52, -133}, {55, -36}, {56, -34}, {57, -122}, {58, -124}}),
    // 6 tS, dZ, S
    makeRow({{3, 197},  {4, -159}, {5, -190}, {6, -35},  {7, -50},  {8, -98},  {9, -140}, {10, -92},
             {11, -112}, {12, -75}, {13, -43}, {15, 1},  {18, -40}, {39, -35}, {40, -35}, {51, -171},
             {52, -173}, {53, -63}, {54, -88}, {55, -95}, {56, -78}, {57, -55}, {58, -36}, {59, -56},
             {60, -38}}),
    // 7 s, z
    makeRow({{3, 44}, {4, -51}, {5, -119}, {8, -34}, {9, -54}, {10, -100}, {11, -99}, {18, -54}, {39, -16},
             {40, -16}, {51, -96}, {52, -133}, {55, -36}, {56, -34}, {57, -122}, {58, -124}, {62, 11}}),
    // 8 n, l
    makeRow({{3, 44}, {4, -51}, {5, -119}, {8, -34}, {9, -54}, {10, -100}, {11, -99}, {18, -54}, {51, -96},
             {52, -133}, {55, -36}, {56, -34}, {57, -122}, {58, -124}}),
    // 9 r
    makeRow({{3, 79},   {4, -119}, {6, -76},  {7, -62},  {8, -84},  {9, -80},  {11, 36},  {12, -1},  {13, 15},
             {15, -1},  {18, -57}, {51, -168}, {53, -79}, {54, -64}, {55, -95}, {56, -95}, {57, 19}, {58, 38},
             {59, 55},  {60, 39}}),
    // 10 A:
    makeRow({{3, 326},  {4, -153}, {5, -477}, {6, -6},   {7, 10},   {8, -128}, {9, -127}, {10, -385},
             {11, -397}, {12, -121}, {13, -120}, {15, 10}, {18, -90}, {39, -61}, {40, -21}, {41, 37}, {42, 27},
             {51, -122}, {52, -418}, {53, -33}, {54, -18}, {55, -73}, {56, -28}, {57, -382}, {58, -370},
             {59, -121}, {60, -118}}),
    // 11 e
    makeRow({{3, 189},  {4, -78},  {5, -241}, {6, 42},   {7, 57},   {8, -113}, {9, -101}, {10, -177},
             {11, -189}, {12, -57}, {13, -47}, {15, 3},  {18, -26}, {39, -14}, {40, 42},  {41, 33},  {42, 18},
             {51, -166}, {52, -213}, {53, 67}, {54, 58},  {55, -58}, {56, -12}, {57, -147}, {58, -193},
             {59, -25}, {60, 6},   {61, -13}, {62, 8}}),
    // 12 I
    makeRow({{4, -127}, {6, 26},  {7, 48},  {8, -144}, {9, -114}, {12, 37}, {13, 36}, {39, 18}, {40, 16},
             {41, 30},  {42, 33}, {51, -76}, {53, 17}, {54, 49},  {55, -36}, {56, -34}, {59, 54}, {60, 61}}),
    // 13 Q
    makeRow({{3, 292}, {5, -235}, {10, -197}, {11, -180}, {12, -80}, {13, -80}, {18, -37}, {39, -18},
             {40, -17}, {51, -38}, {52, -235}, {57, -227}, {58, -208}, {59, -99}, {60, -59}}),
    // 14 U
    makeRow({{3, 79},   {4, -195}, {5, -57},  {6, -84},  {7, -83},  {8, -84},  {9, -116}, {11, -3},  {13, 15},
             {15, -1},  {18, -57}, {39, -27}, {40, -32}, {51, -315}, {52, -131}, {53, -113}, {54, -79},
             {55, -95}, {56, -95}, {57, -47}, {58, -42}, {59, 13},  {60, -2}}),
};

// clang-format on

constexpr FapRow kBlinkRow = makeRow({{19, 971}, {20, 961}});

constexpr const char* kExpressionFileNames[kExpressionRowCount] = {
    nullptr, "Joy.ev", "Sadness.ev", "Anger.ev", "Fear.ev", "Disgust.ev", "Surprise.ev"};

constexpr const char* kBuiltInExpressionNames[kExpressionRowCount] = {
    "<Neutral>", "Joy", "Sadness", "Anger", "Fear", "Disgust", "Surprise"};

constexpr unsigned kFirstExpressionNameString = 59538;

// A reader with the semantics of "%s %s %d": words are runs of non-space characters, the number an
// optional sign and decimal digits. Labels are skipped, not stored, so no word can overflow a buffer.
class RecordScanner {
public:
    explicit RecordScanner(std::istream& in) : in_(in) {}

    bool skipWord()
    {
        skipSpace();
        bool any = false;
        while (isWordChar(in_.peek())) {
            in_.get();
            any = true;
        }
        return any;
    }

    // Values beyond the int range saturate instead of wrapping.
    bool readInt(int& value)
    {
        skipSpace();
        bool negative = false;
        int next = in_.peek();
        if (next == '+' || next == '-') {
            negative = next == '-';
            in_.get();
        }
        int64_t magnitude = 0;
        bool any = false;
        while (std::isdigit(in_.peek())) {
            int digit = in_.get() - '0';
            if (magnitude <= INT64_C(1) << 40)
                magnitude = magnitude * 10 + digit;
            any = true;
        }
        if (!any)
            return false;
        int64_t signedValue = negative ? -magnitude : magnitude;
        value = static_cast<int>(std::clamp<int64_t>(signedValue, INT_MIN, INT_MAX));
        return true;
    }

private:
    static bool isWordChar(int c) { return c != std::char_traits<char>::eof() && !std::isspace(c); }
    void skipSpace()
    {
        while (in_.peek() != std::char_traits<char>::eof() && std::isspace(in_.peek()))
            in_.get();
    }
    std::istream& in_;
};

} // namespace

const FapRow& builtInExpressionRow(int row)
{
    return kBuiltInExpressions[row >= 0 && row < kExpressionRowCount ? static_cast<size_t>(row) : 0];
}

const FapRow& storedVisemeRow(int row)
{
    return kStoredVisemes[row >= 0 && row < kVisemeRowCount ? static_cast<size_t>(row) : 0];
}

const FapRow& blinkRow()
{
    return kBlinkRow;
}

const char* expressionFileName(int row)
{
    return row >= 1 && row < kExpressionRowCount ? kExpressionFileNames[row] : nullptr;
}

std::filesystem::path expressionFilePath(const std::filesystem::path& contentRoot, int row)
{
    const char* name = expressionFileName(row);
    if (!name)
        return {};
    return contentRoot / "Expressions" / name;
}

int readExpressionFile(const std::filesystem::path& path, FapRow& row)
{
    std::ifstream in(path);
    if (!in)
        return 0;
    RecordScanner scanner(in);
    for (int& entry : row) {
        int value = 0;
        if (!scanner.skipWord() || !scanner.skipWord() || !scanner.readInt(value))
            return 0;
        entry = value;
    }
    return 1;
}

ExpressionRows loadExpressionRows(const std::filesystem::path& expressionsFolder)
{
    ExpressionRows rows = kBuiltInExpressions;
    for (int row = 1; row < kExpressionRowCount; ++row)
        readExpressionFile(expressionsFolder / expressionFileName(row), rows[static_cast<size_t>(row)]);
    return rows;
}

int expressionName(int row, std::string& name, const ResourceLibrary* resources)
{
    if (row < 0 || row >= kExpressionRowCount)
        return 0;
    if (resources) {
        if (auto text = resources->text(kFirstExpressionNameString + static_cast<unsigned>(row))) {
            name = *text;
            return 1;
        }
    }
    name = kBuiltInExpressionNames[row];
    return 1;
}
