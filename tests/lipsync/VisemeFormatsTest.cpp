#include "lipsync/VisemeFormats.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// 0.1 s = 1600 samples.
const std::vector<VisemeSpan> kSpans{
    {1600, 3200, 1, 33},   // m
    {3200, 4800, 10, 4},   // aa
    {4800, 4900, 14, 31},  // w, 6 ms: shares its switch frame with what follows
    {4900, 8000, 8, 28},   // l
    {16000, 17600, 8, 34}, // n, after a pause
};

} // namespace

TEST(VisemeFormats, MouthSetsCoverEveryVisemeWithRefinementsForLAndW)
{
    const char* switchMouths[] = {"rest", "MBP", "FV", "etc", "etc", "etc", "etc", "etc",
                                  "L",    "etc", "AI", "E",   "E",   "O",   "U"};
    const char cueShapes[] = "XAGBBBBBHEDCBCF";
    for (uint16_t v = 0; v < 15; ++v) {
        const int16_t phoneme = v == 8 ? 28 : 0;
        EXPECT_EQ(switchMouthOf(v, phoneme), switchMouths[v]) << v;
        EXPECT_EQ(cueShapeOf(v, phoneme), cueShapes[v]) << v;
    }
    EXPECT_EQ(switchMouthOf(8, 34), "etc");
    EXPECT_EQ(cueShapeOf(8, 34), 'B');
    EXPECT_EQ(switchMouthOf(14, 31), "WQ");
    EXPECT_EQ(cueShapeOf(13, 6), 'E');
    EXPECT_EQ(switchMouthOf(255, 255), "rest");
    EXPECT_EQ(cueShapeOf(255, 255), 'X');
}

TEST(VisemeFormats, TsvSwitchDataAndMouthCuesReadBack)
{
    std::ostringstream tsv;
    writeVisemeTsv(tsv, kSpans);
    const auto rows = linesOf(tsv.str());
    ASSERT_EQ(rows.size(), kSpans.size());
    EXPECT_EQ(rows[0], "0.100\t0.200\t1\tp, b, m");
    EXPECT_EQ(rows[4], "1.000\t1.100\t8\tn, l");

    std::ostringstream moho;
    writeSwitchData(moho, kSpans);
    // Frames at 24 per second from 1: 0.1 s is frame 3, 0.3 s and 0.30625 s frame 8, 0.5 s frame 13.
    const std::vector<std::string> keys{"MohoSwitch1", "1 rest",  "3 MBP",  "5 AI",
                                        "8 L",         "13 rest", "25 etc", "27 rest"};
    EXPECT_EQ(linesOf(moho.str()), keys);
    std::ostringstream empty;
    writeSwitchData(empty, {});
    EXPECT_EQ(linesOf(empty.str()), (std::vector<std::string>{"MohoSwitch1", "1 rest"}));

    std::ostringstream cues;
    writeMouthCues(cues, kSpans, "C:\\voices\\\"take 1\".wav", 20000);
    const std::string json = cues.str();
    EXPECT_NE(json.find("\"soundFile\": \"C:\\\\voices\\\\\\\"take 1\\\".wav\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"duration\": 1.25"), std::string::npos) << json;
    const char* expectedCues[] = {
        R"({ "start": 0.00, "end": 0.10, "value": "X" })", R"({ "start": 0.10, "end": 0.20, "value": "A" })",
        R"({ "start": 0.20, "end": 0.30, "value": "D" })", R"({ "start": 0.30, "end": 0.31, "value": "F" })",
        R"({ "start": 0.31, "end": 0.50, "value": "H" })", R"({ "start": 0.50, "end": 1.00, "value": "X" })",
        R"({ "start": 1.00, "end": 1.10, "value": "B" })", R"({ "start": 1.10, "end": 1.25, "value": "X" })",
    };
    size_t at = 0;
    for (const char* cue : expectedCues) {
        const auto found = json.find(cue, at);
        ASSERT_NE(found, std::string::npos) << cue << "\n" << json;
        at = found;
    }
}
