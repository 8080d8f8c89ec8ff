#include "DocTestSupport.h"

#include "documents/ProjectStore.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

std::filesystem::path makeFile(const std::filesystem::path& folder, const std::string& name)
{
    return writeFile(folder / name, patternBytes(10));
}

void fillBackgrounds(ProjectStore& store, const std::filesystem::path& folder, int count)
{
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(
            store.addBackground(makeFile(folder, "bg" + std::to_string(i) + ".jpg").string(), "", false));
}

} // namespace

TEST(ProjectStore, ListsHoldAtMostOneHundredEntries)
{
    testsupport::TempDir folder;
    ProjectStore store;
    fillBackgrounds(store, folder.path(), 100);
    EXPECT_FALSE(store.addBackground(makeFile(folder.path(), "extra.jpg").string(), "extra", false));
    EXPECT_EQ(store.backgrounds().count(), 100);
    EXPECT_EQ(store.backgrounds().name(99), "bg99");
    EXPECT_EQ(store.assetPath(AssetKind::background, 100), "");
    EXPECT_EQ(store.assetPath(AssetKind::background, -1), "");
}

TEST(ProjectStore, BackgroundSelectionFollowsRemovalsAndMoves)
{
    struct Case {
        const char* what;
        int selected;
        char operation; // 'r' remove, 'u' move up, 'd' move down
        int index;
        int expected;
    };
    const Case cases[] = {
        {"remove 0 while the old last is selected", 2, 'r', 0, -1},
        {"remove 0 while 1 is selected", 1, 'r', 0, 1},
        {"move 1 up while 0 is selected", 0, 'u', 1, 1},
        {"move 1 up while 1 is selected", 1, 'u', 1, 0},
        {"move 0 down while 1 is selected", 1, 'd', 0, 0},
        {"move 0 up is refused", 0, 'u', 0, 0},
        {"move the last down is refused", 2, 'd', 2, 2},
    };
    testsupport::TempDir folder;
    for (const Case& c : cases) {
        ProjectStore store;
        fillBackgrounds(store, folder.path(), 3);
        ASSERT_TRUE(store.selectBackground(c.selected));
        if (c.operation == 'r')
            store.removeBackground(c.index);
        else if (c.operation == 'u')
            store.moveBackgroundUp(c.index);
        else
            store.moveBackgroundDown(c.index);
        EXPECT_EQ(store.selectedBackground(), c.expected) << c.what;
    }
}

TEST(ProjectStore, MovedEntriesKeepNameAndFileTogether)
{
    testsupport::TempDir folder;
    ProjectStore store;
    fillBackgrounds(store, folder.path(), 3);
    ASSERT_TRUE(store.moveBackgroundUp(2));
    EXPECT_EQ(store.backgrounds().name(1), "bg2");
    EXPECT_EQ(std::filesystem::path(store.assetPath(AssetKind::background, 1)).filename(), "bg2.jpg");
    EXPECT_EQ(store.backgrounds().findPath("BG2"), store.assetPath(AssetKind::background, 1));
    ASSERT_TRUE(store.removeBackground(0));
    EXPECT_EQ(store.backgrounds().count(), 2);
    EXPECT_EQ(store.backgrounds().name(2), "");
}

TEST(ProjectStore, OwnedFilesAreDeletedOnReleaseAndUserFilesNever)
{
    testsupport::TempDir folder;
    auto owned = makeFile(folder.path(), "owned.jpg");
    auto user = makeFile(folder.path(), "user.jpg");
    auto ownedVoice = makeFile(folder.path(), "voice.wav");
    auto ownedClip = makeFile(folder.path(), "clip.wav");
    {
        ProjectStore store;
        ASSERT_TRUE(store.setAsset(owned.string(), AssetKind::faceTexture, true));
        EXPECT_NE(store.assetHandle(AssetKind::faceTexture), nullptr);
        ASSERT_TRUE(store.setAsset(user.string(), AssetKind::mask, false));
        EXPECT_EQ(store.assetHandle(AssetKind::mask), nullptr);
        ASSERT_TRUE(store.setAsset(ownedVoice.string(), AssetKind::speech, true));
        EXPECT_EQ(store.assetHandle(AssetKind::speech), nullptr); // free for the audio layer
        EXPECT_TRUE(store.isOwned(AssetKind::speech));
        ASSERT_TRUE(store.addSoundClip(ownedClip.string(), "clip", true));
        // Setting the same owned file again must not delete it.
        ASSERT_TRUE(store.setAsset(owned.string(), AssetKind::faceTexture, true));
        EXPECT_TRUE(std::filesystem::exists(owned));
        store.reset();
        EXPECT_FALSE(std::filesystem::exists(owned));
        EXPECT_FALSE(std::filesystem::exists(ownedVoice));
        EXPECT_FALSE(std::filesystem::exists(ownedClip));
        EXPECT_TRUE(std::filesystem::exists(user));
        EXPECT_EQ(store.assetPath(AssetKind::mask), "");
    }
}

TEST(ProjectStore, UserPicturesAndVoiceRecordTheirFileNames)
{
    testsupport::TempDir folder;
    auto face = makeFile(folder.path(), "face photo.jpg");
    auto voice = makeFile(folder.path(), "hello.wav");
    ProjectStore store;
    ASSERT_TRUE(store.setAsset(face.string(), AssetKind::faceTexture, false));
    ASSERT_TRUE(store.setAsset(voice.string(), AssetKind::speech, false));
    EXPECT_EQ(fieldText(store.headDefinitionProperties().pictureNames.faceTexture), "face photo.jpg");
    EXPECT_EQ(fieldText(store.headAnimationProperties().voiceName), "hello.wav");
    EXPECT_EQ(fieldText(store.headDefinitionProperties().pictureNames.mask), "");
    store.setHeadDefinitionPackName("/some/folder/head.hdp");
    EXPECT_EQ(fieldText(store.projectProperties().packNames.headDefinition), "head.hdp");
}

TEST(ProjectStore, InvalidKindsAndOverlongPathsChangeNothing)
{
    ProjectStore store;
    for (int code : {0, 4, 11, 12, 13, 16, 17, 20, -1})
        EXPECT_FALSE(store.setAsset("/tmp/x", static_cast<AssetKind>(code), false)) << code;
    EXPECT_FALSE(store.setAsset(std::string(300, 'p'), AssetKind::headMesh, false));
    EXPECT_FALSE(store.addBackground(std::string(260, 'p'), "long", false));
    EXPECT_EQ(store.backgrounds().count(), 0);
    EXPECT_FALSE(store.selectBackground(100));
    EXPECT_FALSE(store.selectBackground(-2));
}

TEST(ProjectStore, TextsAreCutToTheirFields)
{
    SummaryInfo summary;
    copyToField(summary.categoryText, std::string(40, 'c'));
    EXPECT_EQ(fieldText(summary.categoryText), std::string(31, 'c'));
    EXPECT_EQ(summary.categoryText[31], 0);
    ProjectStore store;
    ASSERT_TRUE(store.backgrounds().setName(5, std::string(300, 'n')));
    EXPECT_EQ(store.backgrounds().name(5).size(), 255u);
}
