#include "DocTestSupport.h"

#include "documents/HeadPacks.h"
#include "documents/StreamProjectInputs.h"
#include "documents/TimelineItemFiles.h"

#include "face/CHeadModel.h"
#include "face/HeadFiles.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace doctest;

namespace {

std::string shortNameOf(int viseme)
{
    return viseme == 3 ? "TD" : viseme == 9 ? "a-name-far-longer-than-its-field" : "";
}

ItemNameTables testNames()
{
    ItemNameTables names = builtInItemNames();
    names.visemeShortName = shortNameOf;
    return names;
}

// A timeline over one second of voice with items on every track, built through its own editing calls.
void fillTimeline(TimelineData& timeline)
{
    timeline.setSampleCount(16000);
    timeline.setSelection(0, 800);
    VisemeItem* viseme = timeline.insertViseme();
    viseme->viseme = 3;
    viseme->weight = 60;
    std::strcpy(viseme->phonemeLabel, "[th]");
    std::strcpy(viseme->syllable, "xx");
    viseme->phonemeCode = 24;
    timeline.setSelection(800, 1600);
    timeline.insertViseme()->viseme = 9;
    timeline.setSelection(0, 16000);
    ExpressionItem* expression = timeline.insertExpression();
    expression->expression = 0x00010002; // only the low 16 bits are stored
    expression->intensity = 40;
    timeline.setSelection(0, 8000);
    HeadTurnKey* key = timeline.insertHeadTurn();
    key->angle_a = -60;
    key->angle_b = 20;
    key->angle_c = -1;
    timeline.setSelection(100, 101);
    EventItem* script = timeline.insertPointEvent(kScriptEvent);
    script->script.choice = 0x12345;
    std::strcpy(script->script.type, "URL");
    std::strcpy(script->script.parameter, "http://x/");
    timeline.setSelection(200, 201);
    std::strcpy(timeline.insertPointEvent(kMarkerEvent)->name, "here");
    timeline.setSelection(300, 301);
    std::strcpy(timeline.insertPointEvent(kImageEvent)->name, "sky");
    timeline.setSelection(0, 4000);
    SoundItem* sound = timeline.insertSound();
    sound->extra = 0xCAFEF00D;
    std::strcpy(sound->name, "bell");
    sound->volume = 80;
}

void expectStoredFieldsEqual(const TimelineData& a, const TimelineData& b)
{
    ItemTracks left = tracksFromTimeline(a);
    ItemTracks right = tracksFromTimeline(b);
    auto sameKey = [](const HeadTurnRecord& x, const HeadTurnRecord& y) {
        return x.start == y.start && x.end == y.end && x.angleA == y.angleA && x.angleB == y.angleB &&
               x.angleC == y.angleC;
    };
    ASSERT_EQ(left.visemes.size(), right.visemes.size());
    for (size_t i = 0; i < left.visemes.size(); ++i)
        EXPECT_TRUE(left.visemes[i].start == right.visemes[i].start &&
                    left.visemes[i].end == right.visemes[i].end &&
                    left.visemes[i].viseme == right.visemes[i].viseme &&
                    left.visemes[i].weight == right.visemes[i].weight);
    ASSERT_EQ(left.headTurns.size(), right.headTurns.size());
    for (size_t i = 0; i < left.headTurns.size(); ++i)
        EXPECT_TRUE(sameKey(left.headTurns[i], right.headTurns[i]));
    ASSERT_EQ(left.events.size(), right.events.size());
    for (size_t i = 0; i < left.events.size(); ++i) {
        EXPECT_EQ(left.events[i].kind, right.events[i].kind);
        EXPECT_EQ(left.events[i].command, right.events[i].command);
        EXPECT_EQ(left.events[i].type + left.events[i].parameter + left.events[i].text,
                  right.events[i].type + right.events[i].parameter + right.events[i].text);
    }
    ASSERT_EQ(left.sounds.size(), right.sounds.size());
    EXPECT_EQ(left.sounds[0].extra, right.sounds[0].extra);
    EXPECT_EQ(left.sounds[0].clip, right.sounds[0].clip);
    ASSERT_EQ(left.expressions.size(), right.expressions.size());
    EXPECT_EQ(left.expressions[0].expression, right.expressions[0].expression);
}

} // namespace

TEST(TimelineItemFiles, EveryTrackRoundTripsThroughItsFile)
{
    testsupport::TempDir folder;
    TimelineData written;
    fillTimeline(written);
    TimelineData read;
    read.setSampleCount(16000);
    for (ItemFileKind kind : {ItemFileKind::visemes, ItemFileKind::expressions, ItemFileKind::headTurns,
                              ItemFileKind::events, ItemFileKind::sounds}) {
        auto path = folder / ("track" + std::to_string(static_cast<int>(kind)));
        ASSERT_TRUE(writeItemFile(path, written, kind));
        ASSERT_TRUE(readItemFile(path, read, kind, testNames()));
    }
    expectStoredFieldsEqual(written, read);

    const VisemeItem& viseme = *read.visemes().item(0);
    EXPECT_EQ(viseme.length, 800u);
    EXPECT_STREQ(viseme.visemeShortName, "TD");
    // What the files do not carry comes back empty, the phoneme as unknown rather than as silence.
    EXPECT_EQ(viseme.phonemeCode, 255);
    EXPECT_STREQ(viseme.phonemeLabel, "");
    EXPECT_STREQ(viseme.syllable, "");
    EXPECT_STREQ(read.visemes().item(1)->visemeShortName, "a-name-far-lon"); // cut to 14 characters
    EXPECT_EQ(read.expressions().item(0)->expression, 2u);
    EXPECT_STREQ(read.expressions().item(0)->name, "Sadness");
    EXPECT_EQ(read.headTurns().item(0)->angle_a, -60); // sign-extended
    EXPECT_EQ(read.events().item(0)->script.choice, 0x2345u);
    EXPECT_EQ(read.eventCount(kScriptEvent), 1);
    EXPECT_EQ(read.eventCount(kImageEvent), 1);
    EXPECT_EQ(read.eventCount(kMarkerEvent), 1);
    EXPECT_EQ(read.events().item(2)->length, 1u);
}

TEST(TimelineItemFiles, DamagedOrOddFilesKeepTheTimelineSound)
{
    testsupport::TempDir folder;
    auto itemFile = [&](const char* name, uint32_t version, const std::vector<Bytes>& records) {
        Bytes bytes;
        putU32(bytes, static_cast<uint32_t>(records.size()));
        putU32(bytes, version);
        for (const Bytes& record : records)
            bytes.insert(bytes.end(), record.begin(), record.end());
        return writeFile(folder / name, bytes);
    };
    auto viseme = [](uint16_t number, uint32_t start, uint32_t end) {
        Bytes record;
        putU16(record, number);
        putU32(record, start);
        putU32(record, end);
        putU32(record, 50);
        return record;
    };
    auto event = [](uint16_t kind, uint32_t at) {
        Bytes record;
        putU32(record, at);
        putU32(record, at + 1);
        putU16(record, kind);
        putU16(record, 2);
        putText(record, "a");
        record.push_back(0);
        return record;
    };
    struct Case {
        const char* name;
        std::filesystem::path file;
        ItemFileKind kind;
        bool read;
        int count;
    };
    const Case cases[] = {
        {"wrong version empties the track", itemFile("v", 0, {viseme(3, 0, 10)}), ItemFileKind::visemes,
         false, 0},
        {"record cut short empties the track", writeFile(folder / "cut", Bytes{1, 0, 0, 0, 14, 0, 0, 0, 3}),
         ItemFileKind::visemes, false, 0},
        {"missing file keeps the track", folder / "absent", ItemFileKind::visemes, false, 2},
        {"empty path reads nothing", {}, ItemFileKind::visemes, true, 2},
        {"viseme out of range has no name", itemFile("n", 14, {viseme(15, 0, 10)}), ItemFileKind::visemes,
         true, 1},
        {"event kinds beyond marker are dropped", itemFile("e", 0, {event(3, 5), event(2, 6), event(9, 7)}),
         ItemFileKind::events, true, 1},
    };
    for (const Case& c : cases) {
        TimelineData timeline;
        timeline.setSelection(0, 10);
        timeline.insertViseme();
        timeline.setSelection(10, 20);
        timeline.insertViseme();
        EXPECT_EQ(readItemFile(c.file, timeline, c.kind, testNames()), c.read) << c.name;
        int count = c.kind == ItemFileKind::events ? timeline.events().count() : timeline.visemes().count();
        EXPECT_EQ(count, c.count) << c.name;
        if (c.kind == ItemFileKind::events) {
            EXPECT_EQ(timeline.eventCount(kMarkerEvent), 1) << c.name;
        }
        if (c.read && c.kind == ItemFileKind::visemes && count == 1) {
            EXPECT_STREQ(timeline.visemes().item(0)->visemeShortName, "") << c.name;
        }
    }

    // An end before its start reads as a dead record rather than a length near four billion.
    TimelineData timeline;
    ASSERT_TRUE(readItemFile(itemFile("b", 14, {viseme(1, 50, 10)}), timeline, ItemFileKind::visemes));
    EXPECT_EQ(timeline.visemes().item(0)->length, 0u);
}

TEST(TimelineItemFiles, PackRoundTripFillsTheTimelineAndKeepsTheVoiceName)
{
    PrivateTempFolder temp;
    testsupport::TempDir folder;
    auto voice = writeVoice(folder / "picked.wav", std::vector<int16_t>(16000, 7));
    TimelineData written;
    ASSERT_TRUE(written.setVoice(voice, 16000));
    fillTimeline(written);
    ProjectStore store;
    store.setAsset(voice.string(), AssetKind::speech, false);
    {
        TimelineSaveFiles files;
        ASSERT_TRUE(files.stage(store, written));
        const ContentFlags& flags = store.headAnimationProperties().contentFlags;
        EXPECT_TRUE(flags.visemes && flags.expressions && flags.headTurns && flags.sounds &&
                    flags.scriptEvents && flags.markerEvents && flags.backgroundEvents);
        EXPECT_STREQ(store.headAnimationProperties().voiceName, "picked.wav");
        DocumentStatus status;
        ASSERT_TRUE(writePack(store, folder / "a.hap", DocumentKind::headAnimation, status));
    }
    EXPECT_EQ(temp.fileCount(), 1u); // only the timeline's working copy of the voice is left

    ProjectStore loaded;
    DocumentStatus status;
    ASSERT_TRUE(readPack(loaded, folder / "a.hap", DocumentKind::headAnimation, status));
    EXPECT_STREQ(loaded.headAnimationProperties().voiceName, "picked.wav");
    TimelineData read;
    ASSERT_TRUE(loadTimelineFromStore(loaded, read, testNames()));
    EXPECT_EQ(read.sampleCount(), 16000);
    EXPECT_EQ(readFile(read.voiceFile()), readFile(voice));
    expectStoredFieldsEqual(written, read);
}

TEST(TimelineItemFiles, StreamMeshIsWrittenFromTheHeadModel)
{
    testsupport::TempDir folder;
    CHeadModel head(3, 1);
    head.setVertex(0, 0, 0, 0);
    head.setVertex(1, 1, 0, 0);
    head.setVertex(2, 0, 1, 0);
    head.setFace(0, 0, 1, 2);
    head.saveToSet(1);
    head.setVertex(2, 0, 2, 0); // edited after the neutral pose was saved

    TimelineData timeline;
    ProjectStore store;
    StreamInputs inputs = streamInputsOf(store, timeline, &head);
    ASSERT_TRUE(inputs.writeMesh);
    ASSERT_TRUE(inputs.writeMesh(folder / "mesh"));
    Bytes record = readFile(folder / "mesh");
    EXPECT_EQ(record, meshRecordBytes(head));
    float y = 0;
    std::memcpy(&y, record.data() + 8 + 2 * 12 + 4, sizeof y);
    EXPECT_EQ(y, 2.0f); // the head as it stands, not the stale neutral pose
    EXPECT_EQ(head.lockDepth(), 0);

    EXPECT_FALSE(streamInputsOf(store, timeline, nullptr).writeMesh); // no head: the stream must fail
}
