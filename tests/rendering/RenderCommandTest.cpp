#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Bad options and unusable pictures end the command with status 2 before anything is written.
TEST(RenderCommand, RefusesBadOptionsAndPicturesWithoutWritingTheOutput)
{
    testsupport::TempDir dir;
    std::string cli = (testsupport::binDir() / "chattermask-cli").string();
    std::string images = (testsupport::dataDir() / "images").string();
    std::string out = (dir / "frame.png").string();
    struct Case {
        const char* name;
        std::string options;
        const char* expectInError;
    };
    const Case cases[] = {
        {"size without x", "--size 256", "--size"},
        {"size zero", "--size 0x10", "--size"},
        {"unknown processor", "--cpu p5", "--cpu"},
        {"missing face picture", "--face " + images + "/missing.jpg", "0xE81E"},
        {"face of another size", "--face " + images + "/photo444.jpg", "0xE81F"},
        {"progressive mask", "--mask " + images + "/progressive.jpg", "0xE81E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = testsupport::runCommand(cli + " render head.cmm " + out + " " + c.options);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.expectInError), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
