// The head pack of the animation stream built from the default project's files: the chunks in order,
// empty paths and a missing background left out, and the whole surviving the archive.
#include "export/AnimationStream.h"

#include "TestSupport.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "documents/StreamProjectInputs.h"
#include "face/CHeadModel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::string> chunkTags(const std::vector<std::uint8_t>& pack)
{
    std::vector<std::string> tags;
    for (std::size_t at = 0; at + 8 <= pack.size();) {
        const std::uint32_t length = std::uint32_t(pack[at + 4]) | std::uint32_t(pack[at + 5]) << 8 |
                                     std::uint32_t(pack[at + 6]) << 16 | std::uint32_t(pack[at + 7]) << 24;
        tags.emplace_back(reinterpret_cast<const char*>(&pack[at]), 4);
        if (length > pack.size() - at - 8) {
            tags.emplace_back("<overrun>");
            break;
        }
        at += 8 + length;
    }
    return tags;
}

TEST(HeadPack, HoldsTheChunksInOrderAndOnlyThoseWithFiles)
{
    ProjectStore store;
    DocumentStatus status;
    ASSERT_TRUE(loadProject(store, testsupport::binDir() / "Default" / "Male.cmx", kLoadAll, status));
    const std::unique_ptr<CHeadModel> head = headModelOf(store);
    ASSERT_TRUE(head);
    HeadPackFiles all;
    all.mask = store.assetPath(AssetKind::mask);
    all.photo = store.assetPath(AssetKind::faceTexture);
    all.teethTop = store.assetPath(AssetKind::teethTop);
    all.teethBottom = store.assetPath(AssetKind::teethBottom);
    ASSERT_GT(store.backgrounds().count(), 0);
    all.background = store.backgrounds().path(0);
    HeadPackFiles noBackground = all;
    noBackground.background.clear();
    HeadPackFiles noTeeth = noBackground;
    noTeeth.teethTop.clear();
    HeadPackFiles missing = all;
    missing.photo = "/nonexistent/face.jpg";

    struct Case {
        const char* name;
        HeadPackFiles files;
        bool built;
        std::vector<std::string> tags;
    };
    const Case cases[] = {
        {"everything", all, true, {"MESH", "MSKJ", "FTXJ", "TTTJ", "BTTJ", "BGRJ"}},
        {"no background pictures", noBackground, true, {"MESH", "MSKJ", "FTXJ", "TTTJ", "BTTJ"}},
        {"an empty path", noTeeth, true, {"MESH", "MSKJ", "FTXJ", "BTTJ"}},
        {"an unreadable file", missing, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> pack;
        ASSERT_EQ(buildHeadPack(*head, c.files, pack), c.built) << c.name;
        if (!c.built)
            continue;
        EXPECT_EQ(chunkTags(pack), c.tags) << c.name;
        std::vector<std::uint8_t> zip, back;
        ASSERT_TRUE(zipDeflate(pack, "head", zip));
        ASSERT_TRUE(unzipSingle(zip, back));
        EXPECT_EQ(back, pack);
    }
    // The photo chunk is the file as it is.
    std::vector<std::uint8_t> pack;
    ASSERT_TRUE(buildHeadPack(*head, noBackground, pack));
    const std::vector<unsigned char> photo = testsupport::readBinaryFile(noBackground.photo);
    EXPECT_NE(std::search(pack.begin(), pack.end(), photo.begin(), photo.end()), pack.end());
}

} // namespace
