// The default documents and the main job as a user meets them: built from the shipped content, readable by
// the document commands, and taken end to end by `demo`.
#include "images/PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::string contentFile(const std::string& name)
{
    return (fs::path(CM_CONTENT_DIR) / name).string();
}

size_t countOf(const std::string& text, const std::string& word)
{
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

TEST(DefaultDocumentsTest, EveryDefaultDocumentListsAndItsTracksAreFilled)
{
    const std::vector<std::pair<std::string, std::string>> documents = {
        {"Default/Male.cmx", "\"kind\":\"project\""},
        {"Default/Female.cmx", "\"kind\":\"project\""},
        {"Default/Male.hdx", "\"kind\":\"head_definition\""},
        {"Default/Female.hdx", "\"kind\":\"head_definition\""},
        {"Default/Male.hax", "\"kind\":\"head_animation\""},
        {"Default/Female.hax", "\"kind\":\"head_animation\""}};
    for (const auto& [name, kind] : documents) {
        auto listing = testsupport::runCommand(cli() + " doc ls " + contentFile(name) + " --json");
        ASSERT_EQ(listing.status, 0) << name << ": " << listing.err;
        EXPECT_EQ(listing.out.find(kind), 1u) << name; // the first field
    }
    for (const char* name : {"Default/Male.cmx", "Default/Female.hax"}) {
        auto dump = testsupport::runCommand(cli() + " timeline dump " + contentFile(name) + " --json");
        ASSERT_EQ(dump.status, 0) << name << ": " << dump.err;
        // A spoken voice gives dozens of mouth shapes and head turns; a few expressions, the background and
        // a marker are placed by the content script.
        EXPECT_GT(countOf(dump.out, "\"viseme\":"), 40u) << name;
        EXPECT_GT(countOf(dump.out, "\"a\":"), 10u) << name;
        EXPECT_GE(countOf(dump.out, "\"intensity\":"), 3u) << name;
        EXPECT_NE(dump.out.find("\"name\":\"Studio\""), std::string::npos) << name;
        EXPECT_NE(dump.out.find("\"kind\":2"), std::string::npos) << name;
    }
}

TEST(DefaultDocumentsTest, DemoWritesTheProjectItsStreamAndAContactSheet)
{
    testsupport::TempDir dir;
    auto result = testsupport::runCommand(cli() + " demo " + (dir / "out").string());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(testsupport::readBinaryFile(dir / "out/Male.cmp"),
              testsupport::readBinaryFile(contentFile("Default/Male.cmx")));
    auto stream = testsupport::runCommand(cli() + " doc ls " + (dir / "out/Male.cmt").string() + " --json");
    EXPECT_EQ(stream.status, 0) << stream.err;
    EXPECT_NE(stream.out.find("\"kind\":\"stream\""), std::string::npos);
    std::vector<uint32_t> sheet;
    int width = 0, height = 0;
    ASSERT_TRUE(readPngBgra((dir / "out/Male-sheet.png").string(), sheet, width, height));
    EXPECT_EQ(width, 6 * 192);
    EXPECT_EQ(height, 4 * (192 + 26));
}

TEST(DefaultDocumentsTest, SheetRefusesPicturesThatDoNotFitTheirSlotsAndWritesNothing)
{
    testsupport::TempDir dir;
    const std::string out = (dir / "sheet.png").string();
    const std::string head = contentFile("Models/MaleHead.cmm");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--face " + contentFile("Teeth/White.top"), "0xE81F"},
        {"--teeth-top " + contentFile("Faces/Male.jpg"), "0xE81F"},
        {"--face " + (dir / "missing.jpg").string(), "0xE81E"},
        {"--cpu p9", "--cpu"}};
    for (const auto& [options, expected] : cases) {
        auto result = testsupport::runCommand(cli() + " sheet " + head + " " + out + " " + options);
        EXPECT_EQ(result.status, 2) << options;
        EXPECT_NE(result.err.find(expected), std::string::npos) << options << ": " << result.err;
        EXPECT_FALSE(fs::exists(out)) << options;
    }
}

} // namespace
