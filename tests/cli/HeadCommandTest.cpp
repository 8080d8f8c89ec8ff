#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string quoted(const std::filesystem::path& path)
{
    std::string text(1, '"');
    text.append(path.string());
    text.push_back('"');
    return text;
}

std::string cli()
{
    return quoted(testsupport::binDir() / "chattermask-cli").append(" ");
}

std::string gridHeadPath()
{
    return quoted(testsupport::dataDir() / "face" / "grid-head.cmm");
}

TEST(HeadCommands, InfoJsonListsTheHead)
{
    auto result = testsupport::runCommand(cli() + "head info " + gridHeadPath() + " --json");
    ASSERT_EQ(result.status, 0) << result.err;
    const char* expected[] = {"\"vertices\":90", "\"triangles\":144", "\"9.15\":31", "\"eyelid_pairs\":{\"left\":[[",
                              "\"editing_lines\":[[", "\"extents\":{\"min\":[-4,"};
    for (const char* text : expected)
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;
}

TEST(HeadCommands, ConvertedRecordReadsTheSameAndObjDeforms)
{
    testsupport::TempDir dir;
    std::string mesh = quoted(dir / "grid.mesh");
    ASSERT_EQ(testsupport::runCommand(cli() + "head convert " + gridHeadPath() + " " + mesh).status, 0);
    auto fromText = testsupport::runCommand(cli() + "head info " + gridHeadPath() + " --json");
    auto fromRecord = testsupport::runCommand(cli() + "head info " + mesh + " --json");
    EXPECT_EQ(fromRecord.out.substr(0, 400), fromText.out.substr(0, 400));
    auto obj = testsupport::runCommand(cli() + "head obj " + mesh + " " + quoted(dir / "g.obj") +
                                       " --fap 3=200 --fap 48=50000 --json");
    ASSERT_EQ(obj.status, 0) << obj.err;
    EXPECT_NE(obj.out.find("\"pitch\":0.5"), std::string::npos) << obj.out;
    std::string text = testsupport::readTextFile(dir / "g.obj");
    EXPECT_NE(text.find("vt "), std::string::npos);
    EXPECT_NE(text.find("f 1/1 10/2 2/3"), std::string::npos);
}

TEST(HeadCommands, BadInputFailsWithoutTouchingTheTarget)
{
    testsupport::TempDir dir;
    testsupport::writeTextFile(dir / "bad.cmm", "Vertices 99999 Faces 3 junk");
    testsupport::writeTextFile(dir / "out.mesh", "keep");
    const std::string commands[] = {
        "head convert " + quoted(dir / "bad.cmm") + " " + quoted(dir / "out.mesh"),
        "head info " + quoted(dir / "missing.cmm"),
        "head obj " + gridHeadPath() + " " + quoted(dir / "out.mesh") + " --fap 69=1",
        "head obj " + gridHeadPath() + " " + quoted(dir / "out.mesh") + " --fap 3",
    };
    for (const std::string& command : commands)
        EXPECT_EQ(testsupport::runCommand(cli() + command).status, 2) << command;
    EXPECT_EQ(testsupport::readTextFile(dir / "out.mesh"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
