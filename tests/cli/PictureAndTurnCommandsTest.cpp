// The picture and head-turn commands: what they print for good input and how they refuse bad input.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::string picture(const std::string& name)
{
    return (testsupport::dataDir() / "images" / name).string();
}

TEST(JpegInfoCommand, ReportsSizeAndSamplingOrTheRefusal)
{
        auto good = testsupport::runCommand(cli() + " jpeg info " + picture("photo420.jpg") + " --json");
    EXPECT_EQ(good.status, 0);
    EXPECT_NE(good.out.find("\"valid\":true"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("\"width\":64"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("\"height\":48"), std::string::npos);
    EXPECT_NE(good.out.find("\"sampling\":\"Sampling factor: 4:1:1\""), std::string::npos);
    auto bad = testsupport::runCommand(cli() + " jpeg info " + picture("progressive.jpg") + " --json");
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.out.find("\"valid\":false"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("\"error\":\"Progressive mode is not supported.\""), std::string::npos);
}

TEST(HeadTurns, CommandPrintsKeysAndRefusesBadSpans)
{
    const auto ok = testsupport::runCommand(cli() + " headturns --visemes 0:32000 --offset 0 --json");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "[{\"start\":0,\"end\":32000,\"a\":-2,\"b\":-23,\"c\":0}]\n");

    const auto two =
        testsupport::runCommand(cli() + " headturns --visemes 25000:30000 --visemes 40000:41000 --json");
    EXPECT_EQ(two.status, 0) << two.err;
    EXPECT_NE(two.out.find("{\"start\":10000,\"end\":30000,"), std::string::npos) << two.out;
    EXPECT_NE(two.out.find("{\"start\":30000,\"end\":40000,"), std::string::npos) << two.out;

    for (const char* bad : {"--visemes 5:3", "--visemes 1:x", "--visemes 1", "--visemes 1:2,", "",
                            "--visemes 1:99999999999", "--visemes 1:2 --offset x"}) {
        const auto refused = testsupport::runCommand(cli() + " headturns " + bad + " --json");
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_TRUE(refused.out.empty()) << bad;
    }
}

} // namespace
