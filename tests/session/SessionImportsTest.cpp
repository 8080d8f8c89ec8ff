#include "SessionTestSupport.h"

#include "session/SessionMessages.h"

#include "face/CHeadModel.h"

#include <gtest/gtest.h>

using namespace sessiontest;
namespace fs = std::filesystem;

namespace {

int itemCount(const TimelineData& timeline)
{
    return timeline.visemes().count() + timeline.expressions().count() + timeline.headTurns().count() +
           timeline.events().count() + timeline.sounds().count();
}

} // namespace

TEST(SessionImports, PicturesMustBe256By256AndTheSlotKeepsThePickedPath)
{
    testsupport::TempDir dir;
    const fs::path large = dir / "large.jpg", fitting = dir / "fitting.jpg", text = dir / "text.jpg";
    if (!writePicture(large, 512) || !writePicture(fitting, 256))
        GTEST_SKIP() << "ffmpeg is needed to make the pictures";
    testsupport::writeTextFile(text, "not a picture");
    struct Case {
        fs::path path;
        bool mask;
        unsigned message;
        std::vector<CoreStatus::Argument> arguments;
    };
    const Case cases[] = {
        {large, false, kMsgImageSize, {256LL, 256LL}},
        {large, true, kMsgImageSize, {256LL, 256LL}},
        {text, false, kMsgImageUnreadable, {text.string()}},
        {fitting, false, 0, {}},
        {fitting, true, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string() + (c.mask ? " as mask" : " as face"));
        ScriptedPrompts prompts;
        ProjectSession session(EditorMode::headDefinition, prompts, content());
        CoreStatus status;
        ASSERT_TRUE(session.newDocument(DefaultHead::male, status));
        const int before = session.headModel()->slotCounter(0);
        const bool imported =
            c.mask ? session.importMask(c.path, status) : session.importFaceTexture(c.path, status);
        EXPECT_EQ(imported, c.message == 0);
        EXPECT_EQ(status.messageId, c.message);
        EXPECT_EQ(status.arguments, c.arguments);
        const AssetKind kind = c.mask ? AssetKind::mask : AssetKind::faceTexture;
        EXPECT_EQ(session.store().assetPath(kind), c.path.string());
        EXPECT_FALSE(session.store().isOwned(kind));
        EXPECT_EQ(session.headModel()->slotCounter(0) != before, imported);
        const HeadPictureNames& names = session.store().headDefinitionProperties().pictureNames;
        EXPECT_EQ(std::string(c.mask ? names.mask : names.faceTexture), c.path.filename().string());
    }
}

TEST(SessionImports, VoiceImportAsksOnlyWhenTracksHoldItems)
{
    testsupport::TempDir dir;
    const fs::path voice = dir / "voice.wav", junk = dir / "junk.wav";
    writeTone(voice, 22050, 2, 22050);
    testsupport::writeTextFile(junk, "not a wave file at all");
    struct Case {
        const char* name;
        bool withItems;
        bool answer;
        fs::path path;
        bool imported;
        unsigned message;
        size_t questions;
    };
    const Case cases[] = {
        {"empty timeline", false, false, voice, true, 0, 0},
        {"items, Yes", true, true, voice, true, 0, 1},
        {"items, No", true, false, voice, false, kMsgCancelled, 1},
        {"not a voice", false, true, junk, false, kMsgConversionFailed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrivateTempFolder temp;
        ScriptedPrompts prompts;
        prompts.confirmAnswer = c.answer;
        ProjectSession session(EditorMode::project, prompts, content());
        CoreStatus status;
        if (c.withItems) {
            ASSERT_TRUE(session.newDocument(DefaultHead::male, status));
        }
        const int itemsBefore = itemCount(session.timeline());
        const std::int32_t samplesBefore = session.timeline().sampleCount();
        const size_t filesBefore = temp.fileCount();
        EXPECT_EQ(session.importVoice(c.path, status), c.imported);
        EXPECT_EQ(status.messageId, c.message);
        EXPECT_EQ(prompts.confirmed.size(), c.questions);
        if (c.imported) {
            EXPECT_EQ(session.timeline().sampleCount(), 16000);
            EXPECT_EQ(itemCount(session.timeline()), 0);
            EXPECT_TRUE(session.store().isOwned(AssetKind::speech));
            EXPECT_EQ(std::string(session.store().headAnimationProperties().voiceName), "voice.wav");
            EXPECT_TRUE(session.isModified());
        } else {
            EXPECT_EQ(session.timeline().sampleCount(), samplesBefore);
            EXPECT_EQ(itemCount(session.timeline()), itemsBefore);
            EXPECT_EQ(temp.fileCount(), filesBefore); // no working copy left behind
        }
    }
}

TEST(SessionImports, ListNamesAreUniqueAndListsHoldAtMost100)
{
    testsupport::TempDir dir;
    const fs::path clip = dir / "Clap.wav";
    writeTone(clip, 8000, 1, 800);
    struct Case {
        const char* name;
        std::deque<std::optional<std::string>> answers;
        bool added;
        std::string finalName;
        size_t asked;
    };
    const Case cases[] = {
        {"a free name at once", {std::string("Snap")}, true, "Snap", 1},
        {"a taken name asks again", {std::string("clap"), std::string("Clap 2")}, true, "Clap 2", 2},
        {"no answer cancels", {std::nullopt}, false, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompts prompts;
        ProjectSession session(EditorMode::project, prompts, content());
        CoreStatus status;
        ASSERT_TRUE(session.addSoundClip(clip, status));
        EXPECT_TRUE(prompts.namesAsked.empty());
        prompts.names = c.answers;
        EXPECT_EQ(session.addSoundClip(clip, status), c.added);
        EXPECT_EQ(prompts.namesAsked.size(), c.asked);
        EXPECT_EQ(session.store().soundClips().count(), c.added ? 2 : 1);
        if (c.added) {
            EXPECT_EQ(session.store().soundClips().name(1), c.finalName);
            EXPECT_EQ(session.soundClipLength(1), 1600); // 0.1 s at 16 kHz
        } else {
            EXPECT_EQ(status.messageId, kMsgNameTaken);
        }
    }

    const fs::path picture = dir / "sky.jpg";
    if (!writePicture(picture, 256))
        GTEST_SKIP() << "ffmpeg is needed to make the pictures";
    ScriptedPrompts prompts;
    ProjectSession session(EditorMode::project, prompts, content());
    CoreStatus status;
    for (int i = 0; i < AssetList::kCapacity; ++i)
        ASSERT_TRUE(session.addBackground(picture, status, "sky " + std::to_string(i)));
    EXPECT_FALSE(session.addBackground(picture, status, std::string("one more")));
    EXPECT_EQ(status.messageId, kMsgListFull);
    EXPECT_EQ(status.arguments, std::vector<CoreStatus::Argument>{100LL});
    EXPECT_EQ(session.store().backgrounds().count(), AssetList::kCapacity);
}

TEST(SessionImports, ARecordingAsksWhatToDoWithTheTakeAndBecomesTheVoice)
{
    struct Case {
        const char* name;
        bool savedBefore;
        std::map<unsigned, bool> answers;
        bool writable;
        std::vector<unsigned> questions;
        bool used;
        bool owned;
        unsigned message;
    };
    const Case cases[] = {
        {"unsaved, used",
         false,
         {{kMsgSaveRecordingFirst, false}, {kMsgUseRecording, true}},
         true,
         {kMsgSaveRecordingFirst, kMsgUseRecording},
         true,
         true,
         0},
        {"saved, used", true, {{kMsgUseRecording, true}}, true, {kMsgUseRecording}, true, false, 0},
        {"unsaved, not used",
         false,
         {{kMsgSaveRecordingFirst, false}, {kMsgUseRecording, false}, {kMsgSaveRecordingAfter, false}},
         true,
         {kMsgSaveRecordingFirst, kMsgUseRecording, kMsgSaveRecordingAfter},
         false,
         false,
         0},
        {"saved first, then used",
         false,
         {{kMsgSaveRecordingFirst, true}, {kMsgUseRecording, true}},
         true,
         {kMsgSaveRecordingFirst, kMsgUseRecording},
         true,
         false,
         0},
        {"unsaved take that cannot be stored",
         false,
         {{kMsgSaveRecordingFirst, false}, {kMsgUseRecording, true}},
         false,
         {kMsgSaveRecordingFirst, kMsgUseRecording},
         false,
         false,
         kMsgRecordingNotStored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        PrivateTempFolder temp;
        const fs::path kept = dir / "take.wav";
        ScriptedPrompts prompts;
        prompts.answers = c.answers;
        prompts.savePath = kept.string();
        ProjectSession session(EditorMode::headAnimation, prompts, content());
        RecordingTake take;
        if (c.savedBefore) {
            writeTone(kept, 16000, 1, 3200);
            take.savedPath = kept.string();
        }
        take.writeTo = [&c](const fs::path& path) {
            if (!c.writable)
                return false;
            writeTone(path, 16000, 1, 3200);
            return true;
        };
        CoreStatus status;
        EXPECT_EQ(session.useRecording(take, status), c.message == 0);
        EXPECT_EQ(status.messageId, c.message);
        EXPECT_EQ(prompts.confirmed, c.questions);
        EXPECT_EQ(session.timeline().sampleCount(), c.used ? 3200 : 0);
        EXPECT_EQ(session.isModified(), c.used);
        if (c.used) {
            EXPECT_EQ(session.store().isOwned(AssetKind::speech), c.owned);
            const std::string slot = session.store().assetPath(AssetKind::speech);
            if (c.owned) {
                EXPECT_EQ(fs::path(slot).filename().string().rfind("~wv", 0), 0u) << slot;
            } else {
                EXPECT_EQ(slot, kept.string());
            }
        }
    }
}

TEST(SessionImports, ExportsCopyTheStoredFileOrSayWhyNot)
{
    testsupport::TempDir dir;
    ScriptedPrompts prompts;
    ProjectSession session(EditorMode::project, prompts, content());
    CoreStatus status;
    ASSERT_TRUE(session.newDocument(DefaultHead::male, status));
    session.store().releaseSlot(AssetKind::mask);
    struct Case {
        AssetKind kind;
        fs::path destination;
        CoreStatus::FileError error;
    };
    const Case cases[] = {
        {AssetKind::faceTexture, dir / "face.jpg", CoreStatus::FileError::none},
        {AssetKind::speech, dir / "voice.wav", CoreStatus::FileError::none},
        {AssetKind::mask, dir / "mask.jpg", CoreStatus::FileError::notFound},
        {AssetKind::faceTexture, dir / "missing" / "face.jpg", CoreStatus::FileError::cannotCreate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.destination.string());
        CoreStatus result;
        EXPECT_EQ(session.exportAsset(c.kind, c.destination, result), c.error == CoreStatus::FileError::none);
        EXPECT_EQ(result.fileError, c.error);
        if (c.error == CoreStatus::FileError::none) {
            EXPECT_EQ(testsupport::readBinaryFile(c.destination),
                      testsupport::readBinaryFile(session.store().assetPath(c.kind)));
        } else {
            EXPECT_FALSE(fs::exists(c.destination));
        }
    }
}

TEST(SessionImports, AHeadDefinitionOfPlainFilesTakesTextHeadsAndRefusesMissingFiles)
{
    sessiontest::ScriptedPrompts prompts;
    ProjectSession session(EditorMode::headDefinition, prompts, sessiontest::content(), SessionHead::fromDocument);
    const std::filesystem::path head = sessiontest::content() / "Models" / "MaleHead.cmm";
    CoreStatus status;

    HeadDefinitionFiles missingFace{head, sessiontest::content() / "no-such-face.jpg", {}, {}, {}};
    EXPECT_FALSE(session.useHeadDefinitionFiles(missingFace, status));
    EXPECT_EQ(status.fileError, CoreStatus::FileError::notFound);
    EXPECT_TRUE(session.store().assetPath(AssetKind::headMesh).empty()) << "nothing is taken from a refused set";

    status.clear();
    ASSERT_TRUE(session.useHeadDefinitionFiles({head, {}, {}, {}, {}}, status))
        << status.path << " " << status.detail;
    const std::string record = session.store().assetPath(AssetKind::headMesh);
    EXPECT_NE(record, head.string()) << "a text head is packed as a mesh record";
    EXPECT_TRUE(session.store().isOwned(AssetKind::headMesh));
    EXPECT_TRUE(std::filesystem::exists(record));
    session.reset();
    EXPECT_FALSE(std::filesystem::exists(record)) << "the converted record goes with the store";
}
