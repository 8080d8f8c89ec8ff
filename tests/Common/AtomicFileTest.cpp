#include "Common/AtomicFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t entriesIn(const fs::path& folder)
{
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}
} // namespace

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoStagingFile)
{
    testsupport::TempDir dir;
    const fs::path target = dir / "talk.cmp";
    ASSERT_TRUE(writeBytesAtomically(target, {'o', 'l', 'd'}));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_FALSE(writeFileAtomically(target, [](const fs::path& staging) {
        std::ofstream(staging) << "half of a new file";
        return false;
    }));
    EXPECT_EQ(contentOf(target), "old");
    EXPECT_EQ(entriesIn(dir.path()), 1u);

    ASSERT_TRUE(writeBytesAtomically(target, {'n', 'e', 'w'}));
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(AtomicFile, AMissingFolderFailsWithoutWriting)
{
    testsupport::TempDir dir;
    bool asked = false;
    EXPECT_FALSE(writeFileAtomically(dir / "no-such-folder" / "x.wav", [&](const fs::path&) {
        asked = true;
        return true;
    }));
    EXPECT_FALSE(asked);
}
