#include "SessionTestSupport.h"

#include "session/SessionMessages.h"

#include "documents/ChunkedContainer.h"
#include "face/CHeadModel.h"
#include "face/HeadModelLock.h"

#include <gtest/gtest.h>

using namespace sessiontest;
namespace fs = std::filesystem;

namespace {

struct ModeCase {
    EditorMode mode;
    const char* extension;
};
const ModeCase kModes[] = {
    {EditorMode::project, "cmp"}, {EditorMode::headDefinition, "hdp"}, {EditorMode::headAnimation, "hap"}};

class ChangeLog : public SessionObserver {
public:
    unsigned seen = 0;
    void sessionChanged(unsigned changes) override { seen |= changes; }
};

int itemCount(const TimelineData& timeline)
{
    return timeline.visemes().count() + timeline.expressions().count() + timeline.headTurns().count() +
           timeline.events().count() + timeline.sounds().count();
}

} // namespace

TEST(ProjectSession, SaveOnAnUntitledDocumentGoesToSaveAs)
{
    for (const ModeCase& c : kModes) {
        SCOPED_TRACE(c.extension);
        testsupport::TempDir dir;
        ScriptedPrompts prompts;
        ProjectSession session(c.mode, prompts, content());
        ASSERT_NE(session.headModel(), nullptr);
        CoreStatus status;
        ASSERT_TRUE(session.newDocument(DefaultHead::male, status)) << std::hex << status.messageId;
        EXPECT_TRUE(session.isUntitled());
        EXPECT_FALSE(session.hasFile());
        EXPECT_EQ(session.shownName(), std::string("Untitled.") + c.extension);
        EXPECT_GT(session.timeline().sampleCount(), 0);

        // No path chosen: a cancel, and the default content is not written over.
        const auto defaultBytes = testsupport::readBinaryFile(session.documentPath());
        EXPECT_FALSE(session.save(status));
        EXPECT_EQ(status.messageId, kMsgCancelled);
        EXPECT_EQ(prompts.pathsAsked, std::vector<std::string>{c.extension});
        EXPECT_EQ(testsupport::readBinaryFile(session.documentPath()), defaultBytes);

        const fs::path target = dir / (std::string("saved.") + c.extension);
        prompts.savePath = target.string();
        session.setModified(true);
        status.clear();
        ASSERT_TRUE(session.save(status)) << std::hex << status.messageId << " " << status.detail;
        EXPECT_FALSE(session.isUntitled());
        EXPECT_TRUE(session.hasFile());
        EXPECT_FALSE(session.isModified());
        EXPECT_EQ(session.shownName(), target.string());
        EXPECT_TRUE(fs::is_regular_file(target));

        // Titled now: Save writes there without asking.
        status.clear();
        EXPECT_TRUE(session.save(status));
        EXPECT_EQ(prompts.pathsAsked.size(), 2u);
    }
}

TEST(ProjectSession, PicturesMustBe256By256AndTheSlotKeepsThePickedPath)
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
        const bool imported = c.mask ? session.importMask(c.path, status) : session.importFaceTexture(c.path, status);
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

TEST(ProjectSession, VoiceImportAsksOnlyWhenTracksHoldItems)
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

TEST(ProjectSession, OpenPairsAPackWithTheMaleDefaultOfTheOtherKind)
{
    struct Case {
        EditorMode mode;
        const char* opened;
        DocumentKind pairedKind;
        const char* paired;
    };
    const Case cases[] = {
        {EditorMode::headDefinition, "Default/Female.hdx", DocumentKind::headAnimation, "Default/Male.hax"},
        {EditorMode::headAnimation, "Default/Female.hax", DocumentKind::headDefinition, "Default/Male.hdx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opened);
        ScriptedPrompts prompts;
        ProjectSession session(c.mode, prompts, content());
        ChangeLog log;
        session.addObserver(&log);
        CoreStatus status;
        ASSERT_TRUE(session.openDocument(content() / c.opened, false, status)) << std::hex << status.messageId;
        EXPECT_EQ(session.documentPath(), (content() / c.opened).string());
        EXPECT_EQ(session.store().packPath(c.pairedKind), (content() / c.paired).string());
        EXPECT_TRUE(session.hasFile());
        EXPECT_FALSE(session.isUntitled());
        EXPECT_FALSE(session.isModified());
        EXPECT_GT(session.timeline().sampleCount(), 0);
        EXPECT_GT(session.timeline().visemes().count(), 0);
        EXPECT_TRUE(log.seen & kDocumentReplaced);
        session.removeObserver(&log);
    }
}

TEST(ProjectSession, AFailedSaveLosesNothing)
{
    testsupport::TempDir dir;
    const fs::path saved = dir / "a.cmp", voice = dir / "voice.wav";
    writeTone(voice, 16000, 1, 8000);
    fs::create_directory(dir / "folder");
    const fs::path failing[] = {dir / "missing" / "b.cmp", dir / "folder"};
    for (const fs::path& target : failing) {
        SCOPED_TRACE(target.string());
        PrivateTempFolder temp;
        ScriptedPrompts prompts;
        ProjectSession session(EditorMode::project, prompts, content());
        CoreStatus status;
        ASSERT_TRUE(session.newDocument(DefaultHead::male, status));
        ASSERT_TRUE(session.saveAs(saved, status)) << std::hex << status.messageId << " " << status.detail;
        const auto savedBytes = testsupport::readBinaryFile(saved);

        // Changes after the save: a new voice and a sound clip.
        const int clips = session.store().soundClips().count();
        ASSERT_TRUE(session.importVoice(voice, status));
        ASSERT_TRUE(session.addSoundClip(voice, status));
        EXPECT_FALSE(session.saveAs(target, status));
        EXPECT_EQ(status.messageId, kMsgSaveFailed);
        EXPECT_EQ(testsupport::readBinaryFile(saved), savedBytes);
        EXPECT_EQ(session.documentPath(), saved.string());
        EXPECT_TRUE(session.isModified());
        EXPECT_EQ(session.timeline().sampleCount(), 8000);
        EXPECT_EQ(session.store().soundClips().count(), clips + 1);

        // The next save writes all of it.
        status.clear();
        ASSERT_TRUE(session.save(status)) << std::hex << status.messageId;
        ScriptedPrompts otherPrompts;
        ProjectSession reopened(EditorMode::project, otherPrompts, content());
        ASSERT_TRUE(reopened.openDocument(saved, false, status));
        EXPECT_EQ(reopened.timeline().sampleCount(), 8000);
        EXPECT_EQ(reopened.store().soundClips().name(clips), "voice");
    }
}

TEST(ProjectSession, SaveChangesQuestion)
{
    struct Case {
        const char* name;
        SessionPrompts::Answer answer;
        bool titled;
        bool goesOn;
        bool modifiedAfter;
        bool written;
    };
    const Case cases[] = {
        {"Cancel", SessionPrompts::Answer::cancel, true, false, true, false},
        {"No", SessionPrompts::Answer::no, true, true, false, false},
        {"Yes", SessionPrompts::Answer::yes, true, true, false, true},
        {"Yes, untitled, no path", SessionPrompts::Answer::yes, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        ScriptedPrompts prompts;
        prompts.saveChangesAnswer = c.answer;
        ProjectSession session(EditorMode::headAnimation, prompts, content());
        CoreStatus status;
        ASSERT_TRUE(session.newDocument(DefaultHead::female, status));
        const fs::path path = dir / "a.hap";
        if (c.titled) {
            ASSERT_TRUE(session.saveAs(path, status));
        }
        const auto before = testsupport::readBinaryFile(path);
        const int items = itemCount(session.timeline());
        session.timeline().setSelection(0, session.timeline().sampleCount());
        session.timeline().clearVisemes();
        session.setModified(true);

        EXPECT_EQ(session.promptSaveChanges(status), c.goesOn);
        EXPECT_EQ(prompts.saveChangesAsked, 1);
        EXPECT_EQ(session.isModified(), c.modifiedAfter);
        EXPECT_EQ(testsupport::readBinaryFile(path) != before, c.written);
        EXPECT_LT(itemCount(session.timeline()), items); // the document in memory is as it was
        if (!c.goesOn) {
            EXPECT_EQ(status.messageId, kMsgCancelled);
        }
    }
    // Nothing modified: nothing asked.
    ScriptedPrompts prompts;
    ProjectSession session(EditorMode::project, prompts, content());
    CoreStatus status;
    EXPECT_TRUE(session.promptSaveChanges(status));
    EXPECT_EQ(prompts.saveChangesAsked, 0);
}

TEST(ProjectSession, ListNamesAreUniqueAndListsHoldAtMost100)
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

TEST(ProjectSession, ABusyModelRefusesTheFlowsAndNothingChanges)
{
    testsupport::TempDir dir;
    const fs::path voice = dir / "voice.wav";
    writeTone(voice, 16000, 1, 1600);
    ScriptedPrompts prompts;
    prompts.savePath = (dir / "x.cmp").string();
    ProjectSession session(EditorMode::project, prompts, content());
    CoreStatus status;
    ASSERT_TRUE(session.newDocument(DefaultHead::male, status));
    const std::int32_t samples = session.timeline().sampleCount();
    {
        HeadModelLock guard(*session.headModel());
        session.headModel()->setBusy(1);
    }
    const std::pair<const char*, std::function<bool(CoreStatus&)>> flows[] = {
        {"new", [&](CoreStatus& s) { return session.newDocument(DefaultHead::female, s); }},
        {"open", [&](CoreStatus& s) { return session.openDocument(content() / "Default/Female.cmx", false, s); }},
        {"save", [&](CoreStatus& s) { return session.save(s); }},
        {"save as", [&](CoreStatus& s) { return session.saveAs(dir / "y.cmp", s); }},
        {"voice", [&](CoreStatus& s) { return session.importVoice(voice, s); }},
        {"face", [&](CoreStatus& s) { return session.importFaceTexture(content() / "Faces/Female.jpg", s); }},
        {"pack", [&](CoreStatus& s) {
             return session.importPack(content() / "Default/Female.hax", DocumentKind::headAnimation, s);
         }},
        {"clip", [&](CoreStatus& s) { return session.addSoundClip(voice, s); }},
    };
    for (const auto& [name, flow] : flows) {
        SCOPED_TRACE(name);
        CoreStatus refused;
        EXPECT_FALSE(flow(refused));
        EXPECT_EQ(refused.messageId, kMsgModelBusy);
    }
    EXPECT_EQ(session.timeline().sampleCount(), samples);
    EXPECT_TRUE(session.isUntitled());
    EXPECT_EQ(session.store().soundClips().count(), 0);
    EXPECT_TRUE(fs::is_empty(dir.path()) || !fs::exists(dir / "x.cmp"));
    EXPECT_FALSE(fs::exists(dir / "y.cmp"));
}
