#include "SessionTestSupport.h"

#include "session/SessionMessages.h"

#include "documents/ChunkedContainer.h"
#include "documents/HeadPacks.h"
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
        ASSERT_TRUE(session.openDocument(content() / c.opened, false, status))
            << std::hex << status.messageId;
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
        {"open",
         [&](CoreStatus& s) { return session.openDocument(content() / "Default/Female.cmx", false, s); }},
        {"save", [&](CoreStatus& s) { return session.save(s); }},
        {"save as", [&](CoreStatus& s) { return session.saveAs(dir / "y.cmp", s); }},
        {"voice", [&](CoreStatus& s) { return session.importVoice(voice, s); }},
        {"face", [&](CoreStatus& s) { return session.importFaceTexture(content() / "Faces/Female.jpg", s); }},
        {"pack",
         [&](CoreStatus& s) {
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

TEST(ProjectSession, AnOpenThatFailsResetsTheStoreAndKeepsTheFlags)
{
    testsupport::TempDir dir;
    testsupport::writeTextFile(dir / "junk.cmp", "not a project");
    // A head definition whose mesh is not a head of the program's model.
    ScriptedPrompts prompts;
    ProjectSession maker(EditorMode::headDefinition, prompts, content());
    CoreStatus status;
    ASSERT_TRUE(maker.newDocument(DefaultHead::male, status));
    testsupport::writeTextFile(dir / "triangle.mesh", std::string(64, '\1'));
    maker.store().setAsset((dir / "triangle.mesh").string(), AssetKind::headMesh, false);
    ASSERT_TRUE(writePack(maker.store(), dir / "bad.hdp", DocumentKind::headDefinition, status));
    struct Case {
        EditorMode mode;
        const char* file;
        unsigned message;
    };
    const Case cases[] = {
        {EditorMode::project, "junk.cmp", 0xE820},
        {EditorMode::project, "missing.cmp", 0},
        {EditorMode::headDefinition, "bad.hdp", kMsgDamaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ProjectSession session(c.mode, prompts, content());
        ASSERT_TRUE(session.newDocument(DefaultHead::female, status));
        session.setModified(true);
        const std::string shown = session.shownName();
        CoreStatus failed;
        EXPECT_FALSE(session.openDocument(dir / c.file, false, failed));
        EXPECT_TRUE(failed.failed());
        EXPECT_EQ(failed.messageId, c.message);
        EXPECT_TRUE(session.isModified());
        EXPECT_TRUE(session.isUntitled());
        EXPECT_EQ(session.shownName(), shown);
        EXPECT_TRUE(session.store().assetPath(AssetKind::speech).empty());
        EXPECT_EQ(session.timeline().sampleCount(), 0);
    }
}
