#include "face/FapTables.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string records(int count, int firstValue)
{
    std::ostringstream text;
    for (int i = 0; i < count; ++i)
        text << "fap" << i + 1 << " label " << firstValue + i << "\n";
    return text.str();
}

std::vector<int> differingFaps(const FapRow& a, const FapRow& b)
{
    std::vector<int> faps;
    for (int i = 0; i < kFapCount; ++i)
        if (a[static_cast<size_t>(i)] != b[static_cast<size_t>(i)])
            faps.push_back(i + 1);
    return faps;
}

TEST(FapTables, NeutralRowsAreZeroAndBlinkClosesBothUpperEyelids)
{
    EXPECT_EQ(builtInExpressionRow(0), FapRow{});
    EXPECT_EQ(storedVisemeRow(0), FapRow{});
    EXPECT_EQ(builtInExpressionRow(7), FapRow{});
    EXPECT_EQ(storedVisemeRow(15), FapRow{});
    EXPECT_EQ(differingFaps(blinkRow(), FapRow{}), (std::vector<int>{19, 20}));
    EXPECT_EQ(blinkRow()[18], 971);
    EXPECT_EQ(blinkRow()[19], 961);
}

TEST(FapTables, SimilarMouthShapesDifferOnlyInCheeksAndNose)
{
    EXPECT_EQ(differingFaps(storedVisemeRow(4), storedVisemeRow(5)), (std::vector<int>{39, 40}));
    EXPECT_EQ(differingFaps(storedVisemeRow(7), storedVisemeRow(5)), (std::vector<int>{39, 40, 62}));
    EXPECT_EQ(storedVisemeRow(8), storedVisemeRow(5));
}

TEST(FapTables, ExpressionFilesLiveInTheExpressionsFolder)
{
    EXPECT_EQ(expressionFilePath("/content", 4), std::filesystem::path("/content/Expressions/Fear.ev"));
    EXPECT_EQ(expressionFilePath("/content", 6).filename(), "Surprise.ev");
    EXPECT_TRUE(expressionFilePath("/content", 0).empty());
    EXPECT_EQ(expressionFileName(7), nullptr);
}

TEST(FapTables, ReadingAnExpressionFileKeepsEveryValueReadBeforeAFault)
{
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        std::string text;
        int result;
        int changedFaps; // FAPs 1..changedFaps take 1000 + i, the rest keep 7
    };
    const Case cases[] = {
        {"complete", records(68, 1000), 1, 68},
        {"garbage after ten", records(10, 1000) + "a b notanumber\n" + records(58, 5000), 0, 10},
        {"ends early", records(30, 1000), 0, 30},
        {"label without value", records(5, 1000) + "only", 0, 5},
        {"empty", "", 0, 0},
        {"no spaces between records", records(68, 1000) + "extra 1 2\n", 1, 68},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeTextFile(dir / "e.ev", c.text);
        FapRow row;
        row.fill(7);
        EXPECT_EQ(readExpressionFile(dir / "e.ev", row), c.result);
        for (int i = 0; i < kFapCount; ++i)
            EXPECT_EQ(row[static_cast<size_t>(i)], i < c.changedFaps ? 1000 + i : 7) << "FAP " << i + 1;
    }
}

TEST(FapTables, ExpressionValuesParseLikeDecimalIntegers)
{
    testsupport::TempDir dir;
    struct Case {
        const char* record;
        int value;
    };
    const Case cases[] = {{"a b -42", -42},
                          {"a b +17", 17},
                          {"a\tb\r\n5", 5},
                          {"a b 99999999999999999999", 2147483647},
                          {"a b -99999999999999999999", -2147483648}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        testsupport::writeTextFile(dir / "v.ev", std::string(c.record) + "\n");
        FapRow row{};
        EXPECT_EQ(readExpressionFile(dir / "v.ev", row), 0);
        EXPECT_EQ(row[0], c.value);
    }
    std::string longLabel(100000, 'x');
    testsupport::writeTextFile(dir / "long.ev", longLabel + " " + longLabel + " 12\n");
    FapRow row{};
    readExpressionFile(dir / "long.ev", row);
    EXPECT_EQ(row[0], 12);
}

TEST(FapTables, LoadingRowsFallsBackToBuiltInRowsPerFile)
{
    testsupport::TempDir dir;
    ExpressionRows missing = loadExpressionRows(dir / "no such folder");
    for (int row = 0; row < kExpressionRowCount; ++row)
        EXPECT_EQ(missing[static_cast<size_t>(row)], builtInExpressionRow(row)) << row;

    testsupport::writeTextFile(dir / "Anger.ev", records(68, 1000));
    testsupport::writeTextFile(dir / "Joy.ev", records(2, -5));
    ExpressionRows loaded = loadExpressionRows(dir.path());
    EXPECT_EQ(loaded[3][67], 1067);
    EXPECT_EQ(differingFaps(loaded[1], builtInExpressionRow(1)), (std::vector<int>{1, 2}));
    EXPECT_EQ(loaded[6], builtInExpressionRow(6));
}

TEST(FapTables, ExpressionNamesCoverRowsZeroToSix)
{
    const char* names[] = {"<Neutral>", "Joy", "Sadness", "Anger", "Fear", "Disgust", "Surprise"};
    for (int row = 0; row < kExpressionRowCount; ++row) {
        std::string name;
        EXPECT_EQ(expressionName(row, name), 1);
        EXPECT_EQ(name, names[row]);
    }
    std::string untouched = "kept";
    EXPECT_EQ(expressionName(-1, untouched), 0);
    EXPECT_EQ(expressionName(7, untouched), 0);
    EXPECT_EQ(untouched, "kept");
}

} // namespace
