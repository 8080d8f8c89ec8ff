#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

TEST(MixCommand, PrintsOneFrameObjectPerTimeInTheOrderGiven)
{
    testsupport::TempDir dir;
    auto result = testsupport::runCommand(cli() +
                                          " mix viseme:1:63:1000:200 turn:10:0:0:0:1000 --at 1500 --at 500 "
                                          "--at 2000 --expressions " +
                                          dir.path().string() + " --json");
    ASSERT_EQ(result.status, 0) << result.err;
    std::string zeros45;
    for (int i = 0; i < 45; ++i)
        zeros45 += ",0";
    // At 1500 both events are consumed; a later frame for an earlier time sees only what is left.
    std::string expected = "[{\"at\":1500,\"faps\":[16777216,0" + zeros45 + ",1700" + zeros45.substr(0, 40) +
                           "],\"more\":false},";
    EXPECT_EQ(result.out.substr(0, expected.size()), expected);
    EXPECT_NE(result.out.find("{\"at\":500,"), std::string::npos);
    EXPECT_NE(result.out.find("{\"at\":2000,"), std::string::npos);
    EXPECT_LT(result.out.find("\"at\":500"), result.out.find("\"at\":2000"));
}

TEST(MixCommand, UsesTheExpressionFilesOfTheFolderGiven)
{
    testsupport::TempDir dir;
    std::string text;
    for (int fap = 1; fap <= 68; ++fap)
        text += "fap value " + std::string(fap == 3 ? "321" : "0") + "\n";
    testsupport::writeTextFile(dir / "Joy.ev", text);
    auto result = testsupport::runCommand(cli() + " mix expression:1:63:0:0 --at 0 --expressions " +
                                          dir.path().string() + " --json");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"faps\":[0,65599,321,0,"), std::string::npos) << result.out;
}

TEST(MixCommand, MalformedEventsAndTimesAreUsageErrors)
{
    struct Case {
        const char* arguments;
        const char* expectInError;
    };
    const Case cases[] = {
        {"wink:1:63:0:10 --at 0", "unknown event"},
        {"viseme:1:63:0 --at 0", "needs 4 numbers"},
        {"viseme:1:63:0:10:5 --at 0", "needs 4 numbers"},
        {"turn:1:2:3:0 --at 0", "needs 5 numbers"},
        {"blink:1:63:-5:10 --at 0", "bad number"},
        {"expression:1:63:0:1x --at 0", "bad number"},
        {"expression:1::0:10 --at 0", "bad number"},
        {"viseme:1:63:0:10", "--at"},
        {"viseme:1:63:0:10 --at soon", "bad time"},
        {"viseme:1:63:0:10 --at 4294967296", "bad time"},
        {"viseme:1:63:0:10 --at 0 --speed 2", "unknown option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        auto result = testsupport::runCommand(cli() + " mix " + c.arguments + " --json");
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.expectInError), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

} // namespace
