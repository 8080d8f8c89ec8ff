// The timeline flows of the project editor without a window: the lip-sync with and without the spoken
// text, its cancel and failures (the track and the document stay as they were), the text file beside the
// voice, and the automatic head turns, each as one step of the track history.
#include "SessionTestSupport.h"

#include "face/CHeadModel.h"
#include "lipsync/SylRecogniser.h"
#include "session/LipSyncFlow.h"
#include "session/SessionMessages.h"
#include "timeline/TimelineUndo.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>

namespace fs = std::filesystem;
using sessiontest::ScriptedPrompts;

namespace {

// One syllable "ba" in every block, or a failure from the given block on.
class BlockRecogniser : public ISylRecogniser {
public:
    int failFromBlock = -1;
    int blocks = 0;
    int init(const std::string&) override { return 0; }
    int numTotalSyl() override { return 0; }
    int recogSample(const int16_t*, int) override
    {
        const int block = blocks++;
        return failFromBlock >= 0 && block >= failFromBlock ? -1 : 1;
    }
    int getResult(SylRecord* records, int) override
    {
        records[0] = {0, 100, 160};
        return 1;
    }
    int getSyl(int, char* text) override
    {
        std::strcpy(text, "\xA3\x74\xA3\xAB");
        return 1;
    }
    int destroy() override { return 1; }
};

VisemeItem sentinel(std::uint32_t start, std::uint32_t end)
{
    VisemeItem item{};
    item.start = start;
    item.end = end;
    item.length = end - start;
    item.viseme = 9;
    item.weight = 77;
    return item;
}

std::vector<VisemeItem> visemesOf(const ProjectSession& session)
{
    return session.timeline().visemes().records();
}

bool sameTrack(const std::vector<VisemeItem>& a, const std::vector<VisemeItem>& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const VisemeItem& x, const VisemeItem& y) {
               return std::memcmp(&x, &y, sizeof x) == 0;
           });
}

// A session whose voice is a file of the test's, with two items of its own on the viseme track, clean.
struct VoicedSession {
    testsupport::TempDir dir;
    ScriptedPrompts prompts;
    ProjectSession session{EditorMode::project, prompts, sessiontest::content(), SessionHead::fromDocument};
    TimelineUndo history{session.timeline()};
    std::vector<VisemeItem> before;

    explicit VoicedSession(const fs::path& voice = {})
    {
        fs::path wav = voice;
        if (wav.empty()) {
            wav = dir / "voice.wav";
            sessiontest::writeTone(wav, 16000, 1, 16000 * 2);
        }
        CoreStatus status;
        EXPECT_TRUE(session.importVoice(wav, status)) << status.detail;
        session.timeline().visemes().assign({sentinel(0, 800), sentinel(800, 4000)});
        before = visemesOf(session);
        session.setModified(false);
    }

    void expectUntouched(const char* what)
    {
        EXPECT_TRUE(sameTrack(visemesOf(session), before)) << what;
        EXPECT_FALSE(session.isModified()) << what;
        EXPECT_EQ(history.stepCount(), 0u) << what;
    }
};

fs::path speak(const testsupport::TempDir& dir, const std::string& text)
{
    const fs::path raw = dir / "spoken.raw.wav", voice = dir / "spoken.wav";
    EXPECT_EQ(testsupport::runCommand("flite -voice slt -t \"" + text + "\" -o " + raw.string()).status, 0)
        << "flite is needed";
    EXPECT_EQ(
        testsupport::runCommand("sox " + raw.string() + " -r 16000 -c 1 -b 16 " + voice.string()).status, 0);
    return voice;
}

} // namespace

TEST(LipSyncFlow, ReplacesTheTrackAsOneUndoStepAndUsesTheTextOnlyWhenItHasWords)
{
    testsupport::TempDir voices;
    const std::string words = "Bob made a map of the lamp";
    VoicedSession s(speak(voices, words));

    // Recognising the words is asked for in two cases: without text it brings the "th" of "the", which
    // the phonetic result cannot name; with text the text is used.
    struct Case {
        const char* script;
        bool withText;
        bool recogniseWords;
    } cases[] = {{"Bob made a map of the lamp.", true, false},
                 {"  \r\n\t", false, false},
                 {"", false, false},
                 {"", false, true},
                 {"Bob made a map of the lamp.", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.script) + (c.recogniseWords ? " words" : ""));
        LipSyncRequest request;
        request.script = c.script;
        request.recogniseWords = c.recogniseWords;
        LipSyncOutcome outcome;
        CoreStatus status;
        unsigned lastStep = 0;
        const bool ok = runLipSync(
            s.session, request,
            [&](unsigned step, unsigned total, const std::string&, const std::string&) {
                EXPECT_EQ(total, kProgressTotal);
                EXPECT_GE(step, lastStep);
                lastStep = step;
                return 1;
            },
            &s.history, status, &outcome);
        ASSERT_TRUE(ok) << status.messageId;
        EXPECT_EQ(lastStep, kProgressTotal);
        EXPECT_TRUE(outcome.trackReplaced);
        EXPECT_GT(outcome.visemes, 4u);
        EXPECT_EQ(outcome.visemes, static_cast<size_t>(s.session.timeline().visemes().count()));
        EXPECT_EQ(outcome.scriptWords > 0, c.withText);
        if (c.withText) {
            EXPECT_EQ(outcome.scriptWords, 7u);
            EXPECT_GE(outcome.wordsFound, 5u);
        }
        if (!c.withText) {
            const auto track = visemesOf(s.session);
            const bool th =
                std::any_of(track.begin(), track.end(), [](const auto& v) { return v.viseme == 3; });
            EXPECT_EQ(th, c.recogniseWords);
        }
        EXPECT_FALSE(sameTrack(visemesOf(s.session), s.before));
        EXPECT_TRUE(s.session.isModified());
        EXPECT_EQ(s.history.stepCount(), 1u) << "one step for the whole track";
        // Taking the step back brings the earlier track back whole.
        EXPECT_EQ(s.history.undo(), unsigned(kVisemesChanged));
        EXPECT_TRUE(sameTrack(visemesOf(s.session), s.before));
        s.history.clear();
        s.session.setModified(false);
    }
}

TEST(LipSyncFlow, CancelAndFailureKeepTheTrackAndTheDocumentAsTheyWere)
{
    testsupport::TempDir dir;
    // Over a minute: two blocks, so that a failure or a cancel can come after the first block merged.
    const fs::path longVoice = dir / "long.wav";
    sessiontest::writeTone(longVoice, 16000, 1, 16000 * 70);

    struct Case {
        const char* what;
        int failFromBlock;
        int cancelAtStep; // 0: never
        unsigned message;
    } cases[] = {
        {"recogniser fails in the first block", 0, 0, kMsgLipSyncFailed},
        {"recogniser fails in the second block", 1, 0, kMsgLipSyncFailed},
        {"cancelled at once", -1, 1, kMsgCancelled},
        {"cancelled near the end", -1, 999, kMsgCancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VoicedSession s(longVoice);
        BlockRecogniser recogniser;
        recogniser.failFromBlock = c.failFromBlock;
        LipSyncRequest request;
        request.recogniser = &recogniser;
        CoreStatus status;
        const bool ok = runLipSync(
            s.session, request,
            [&](unsigned step, unsigned, const std::string&, const std::string&) {
                return c.cancelAtStep > 0 && step >= unsigned(c.cancelAtStep) ? 0 : 1;
            },
            &s.history, status);
        EXPECT_FALSE(ok);
        EXPECT_EQ(status.messageId, c.message);
        s.expectUntouched(c.what);
    }

    // The same recogniser without a failure fills the track from both blocks.
    VoicedSession s(longVoice);
    BlockRecogniser recogniser;
    LipSyncRequest request;
    request.recogniser = &recogniser;
    CoreStatus status;
    ASSERT_TRUE(runLipSync(s.session, request, {}, nullptr, status));
    EXPECT_EQ(recogniser.blocks, 2);
    ASSERT_GE(s.session.timeline().visemes().count(), 2);
    EXPECT_EQ(s.session.timeline().visemes().item(0)->start, 100u * 160);
    EXPECT_TRUE(s.session.isModified());
}

TEST(LipSyncFlow, IsRefusedWithoutAVoiceOrWhileTheHeadIsBusy)
{
    ScriptedPrompts prompts;
    ProjectSession empty(EditorMode::project, prompts, sessiontest::content(), SessionHead::fromDocument);
    CoreStatus status;
    EXPECT_FALSE(runLipSync(empty, {}, {}, nullptr, status));
    EXPECT_EQ(status.messageId, kMsgNoVoice);
    status.clear();
    EXPECT_FALSE(runAutomaticHeadTurns(empty, 0, nullptr, status));
    EXPECT_EQ(status.messageId, kMsgNoVoice);

    testsupport::TempDir dir;
    sessiontest::writeTone(dir / "voice.wav", 16000, 1, 16000);
    ProjectSession busy(EditorMode::project, prompts, sessiontest::content());
    ASSERT_NE(busy.headModel(), nullptr);
    ASSERT_TRUE(busy.importVoice(dir / "voice.wav", status));
    busy.headModel()->setBusy(1);
    status.clear();
    EXPECT_FALSE(runLipSync(busy, {}, {}, nullptr, status));
    EXPECT_EQ(status.messageId, kMsgModelBusy);
    status.clear();
    EXPECT_FALSE(runAutomaticHeadTurns(busy, 0, nullptr, status));
    EXPECT_EQ(status.messageId, kMsgModelBusy);
    busy.headModel()->setBusy(0);
}

TEST(LipSyncFlow, FindsTheTextFileBesideThePickedVoiceAndReadsIt)
{
    testsupport::TempDir dir;
    const fs::path voice = dir / "Take 1.wav";
    sessiontest::writeTone(voice, 16000, 1, 1600);
    ScriptedPrompts prompts;
    ProjectSession session(EditorMode::project, prompts, sessiontest::content());
    CoreStatus status;
    ASSERT_TRUE(session.importVoice(voice, status));
    EXPECT_EQ(voiceTextFile(session), fs::path());
    testsupport::writeTextFile(dir / "Take 1.txt", "Hello there.\n");
    EXPECT_EQ(voiceTextFile(session), dir / "Take 1.txt");
    std::string script;
    ASSERT_TRUE(readScriptFile(voiceTextFile(session), script, status));
    EXPECT_EQ(script, "Hello there.\n");

    // Another voice that came in by another way takes the remembered file with it.
    session.reset();
    EXPECT_EQ(voiceTextFile(session), fs::path());

    // A saved project opened again knows only its voice's name: the text is looked for beside the project.
    status.clear();
    ASSERT_TRUE(session.newDocument(DefaultHead::male, status)) << status.messageId << " " << status.detail;
    ASSERT_TRUE(session.importVoice(voice, status));
    ASSERT_TRUE(session.saveAs(dir / "talk.cmp", status)) << status.messageId;
    ProjectSession reopened(EditorMode::project, prompts, sessiontest::content());
    ASSERT_TRUE(reopened.openDocument(dir / "talk.cmp", false, status)) << status.messageId;
    EXPECT_EQ(reopened.voiceSource(), fs::path());
    EXPECT_EQ(voiceTextFile(reopened), dir / "Take 1.txt");
    fs::remove(dir / "Take 1.txt");
    EXPECT_EQ(voiceTextFile(reopened), fs::path());

    struct Case {
        const char* name;
        const char* content; // nullptr: no file
        bool readable;
        const char* script;
    } cases[] = {
        {"blank.txt", " \n\t\r\n", true, ""},
        {"words.txt", "One two.", true, "One two."},
        {"absent.txt", nullptr, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content)
            testsupport::writeTextFile(dir / c.name, c.content);
        std::string text = "kept";
        status.clear();
        EXPECT_EQ(readScriptFile(dir / c.name, text, status), c.readable);
        if (c.readable) {
            EXPECT_EQ(text, c.script);
        } else {
            EXPECT_EQ(text, "kept") << "a failed read leaves the text as it was";
            EXPECT_EQ(status.messageId, kMsgTextUnreadable);
            EXPECT_EQ(status.path, (dir / c.name).string());
        }
    }
    status.clear();
    EXPECT_FALSE(readScriptFile(dir.path(), script, status)) << "a folder is no text file";
}

TEST(HeadTurnFlow, FillsTheHeadTurnTrackAsOneUndoStep)
{
    VoicedSession s;
    CoreStatus status;
    ASSERT_TRUE(runAutomaticHeadTurns(s.session, 12.5, &s.history, status));
    const auto& keys = s.session.timeline().headTurns();
    ASSERT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.item(0)->start, 0u);
    EXPECT_EQ(keys.item(1)->end, 4000u);
    EXPECT_TRUE(sameTrack(visemesOf(s.session), s.before)) << "the visemes are only read";
    EXPECT_TRUE(s.session.isModified());
    EXPECT_EQ(s.history.stepCount(), 1u);
    EXPECT_EQ(s.history.undo(), unsigned(kHeadTurnsChanged));
    EXPECT_EQ(keys.count(), 0);

    // Running it again on the same offset is the same track, so no new step is kept.
    ASSERT_TRUE(runAutomaticHeadTurns(s.session, 12.5, &s.history, status));
    ASSERT_TRUE(runAutomaticHeadTurns(s.session, 12.5, &s.history, status));
    EXPECT_EQ(s.history.stepCount(), 1u);
}
