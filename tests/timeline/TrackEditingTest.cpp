#include "timeline/TimelineData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>
#include <vector>

namespace {

using SpanList = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

template <typename Item> SpanList spansOf(const TrackArray<Item>& track)
{
    SpanList spans;
    for (const Item& item : track.records())
        spans.emplace_back(item.start, item.end);
    return spans;
}

void fillExpressions(TimelineData& timeline, const SpanList& spans)
{
    for (auto [s, e] : spans) {
        timeline.setSelection(std::int32_t(s), std::int32_t(e));
        ASSERT_NE(timeline.insertExpression(), nullptr);
    }
}

void fillHeadTurns(TimelineData& timeline, const SpanList& spans)
{
    for (auto [s, e] : spans) {
        timeline.setSelection(std::int32_t(s), std::int32_t(e));
        ASSERT_NE(timeline.insertHeadTurn(), nullptr);
    }
}

TEST(TrackEditing, InsertOverSelectionCutsSplitsAndOverwrites)
{
    struct Case {
        const char* name;
        SpanList before;
        std::pair<std::uint32_t, std::uint32_t> insert;
        SpanList after;
    };
    const SpanList three = {{0, 100}, {100, 200}, {200, 300}};
    const Case cases[] = {
        {"exact span overwrites", three, {100, 200}, three},
        {"covering span removes and trims", three, {50, 250}, {{0, 50}, {50, 250}, {250, 300}}},
        {"covering everything", three, {0, 300}, {{0, 300}}},
        {"inside an item splits it", {{0, 300}}, {100, 200}, {{0, 100}, {100, 200}, {200, 300}}},
        {"same start, shorter", {{0, 300}}, {0, 100}, {{0, 100}, {100, 300}}},
        {"same end, later start", {{0, 300}}, {200, 300}, {{0, 200}, {200, 300}}},
        {"before everything", {{500, 600}}, {0, 100}, {{0, 100}, {500, 600}}},
        {"after everything", {{0, 100}}, {500, 600}, {{0, 100}, {500, 600}}},
        {"in a gap", {{0, 100}, {500, 600}}, {200, 300}, {{0, 100}, {200, 300}, {500, 600}}},
        {"overlapping a gap's edges", {{0, 100}, {500, 600}}, {50, 550}, {{0, 50}, {50, 550}, {550, 600}}},
    };
    for (const Case& c : cases) {
        TimelineData timeline;
        fillExpressions(timeline, c.before);
        timeline.setSelection(std::int32_t(c.insert.first), std::int32_t(c.insert.second));
        const ExpressionItem* made = timeline.insertExpression();
        ASSERT_NE(made, nullptr) << c.name;
        EXPECT_EQ(made->start, c.insert.first) << c.name;
        EXPECT_EQ(spansOf(timeline.expressions()), c.after) << c.name;
    }
}

TEST(TrackEditing, EmptySelectionInsertsNothing)
{
    TimelineData timeline;
    fillExpressions(timeline, {{0, 100}});
    timeline.setSelection(50, 50);
    EXPECT_EQ(timeline.insertExpression(), nullptr);
    EXPECT_EQ(spansOf(timeline.expressions()), (SpanList{{0, 100}}));
}

TEST(TrackEditing, OutOfRangePercentagesFallBackToFull)
{
    for (std::int32_t stored : {-1, 0, 50, 100, 101, 100000}) {
        const std::int32_t expected = stored < 0 || stored > 100 ? 100 : stored;
        TimelineData timeline;
        timeline.setSelection(10, 20);
        timeline.insertViseme()->weight = stored;
        timeline.insertExpression()->intensity = stored;
        timeline.insertSound()->volume = stored;
        // An exact overwrite reuses the record and with it the stored value.
        EXPECT_EQ(timeline.insertViseme()->weight, expected) << stored;
        EXPECT_EQ(timeline.insertExpression()->intensity, expected) << stored;
        EXPECT_EQ(timeline.insertSound()->volume, expected) << stored;
    }
}

TEST(TrackEditing, HeadTurnTrackStaysWithoutGaps)
{
    struct Case {
        const char* name;
        std::pair<std::int32_t, std::int32_t> clear;
        SpanList after;
    };
    const SpanList keys = {{0, 100}, {100, 200}, {200, 300}};
    const Case cases[] = {
        {"clear inside stretches the next key back",
         {120, 180},
         {{0, 100}, {100, 120}, {120, 200}, {200, 300}}},
        {"clear a whole key", {100, 200}, {{0, 100}, {100, 300}}},
        {"clear from 0", {0, 150}, {{0, 200}, {200, 300}}},
        {"clear across keys", {50, 250}, {{0, 50}, {50, 300}}},
    };
    for (const Case& c : cases) {
        TimelineData timeline;
        fillHeadTurns(timeline, keys);
        timeline.setSelection(c.clear.first, c.clear.second);
        ASSERT_TRUE(timeline.clearHeadTurns()) << c.name;
        EXPECT_EQ(spansOf(timeline.headTurns()), c.after) << c.name;
    }

    TimelineData timeline;
    fillHeadTurns(timeline, {{500, 600}, {900, 1000}});
    EXPECT_EQ(spansOf(timeline.headTurns()), (SpanList{{0, 600}, {600, 1000}}));
    timeline.deleteHeadTurn(0);
    EXPECT_EQ(spansOf(timeline.headTurns()), (SpanList{{0, 1000}}));
}

TEST(TrackEditing, CompactionRemovesSwallowedItemsAndRestoresOrder)
{
    TimelineData timeline;
    fillExpressions(timeline, {{0, 100}, {100, 200}, {200, 300}, {400, 500}});
    auto& items = timeline.expressions().records();
    items[1].start = 20; // dragged inside its predecessor
    items[1].end = 90;
    items[1].length = 70;
    items[3].start = 250; // dragged onto the item before it
    items[3].end = 350;
    items[3].length = 100;
    timeline.compactExpressions();
    EXPECT_EQ(spansOf(timeline.expressions()), (SpanList{{0, 100}, {200, 300}, {300, 350}}));

    // A drag that crosses a neighbour must not leave the track unsorted.
    items[0].start = 1000;
    items[0].end = 1100;
    timeline.compactExpressions();
    EXPECT_EQ(spansOf(timeline.expressions()), (SpanList{{200, 300}, {300, 350}, {1000, 1100}}));
}

TEST(EventTrack, PointEventsKeepInsertionOrderAndCounters)
{
    TimelineData timeline;
    timeline.setSelection(100, 400);
    timeline.insertPointEvent(kMarkerEvent)->name[0] = 'a';
    EXPECT_EQ(timeline.selectionEnd(), 101);
    timeline.insertPointEvent(kMarkerEvent)->name[0] = 'b';
    timeline.insertPointEvent(kImageEvent);
    timeline.setSelection(50, 50);
    timeline.insertPointEvent(kScriptEvent);
    ASSERT_EQ(timeline.events().count(), 4);
    EXPECT_EQ(timeline.events().item(0)->kind, kScriptEvent);
    EXPECT_EQ(timeline.events().item(1)->name[0], 'a');
    EXPECT_EQ(timeline.events().item(2)->name[0], 'b');
    EXPECT_EQ(timeline.eventCount(kMarkerEvent), 2);

    EXPECT_EQ(timeline.nthEvent(kMarkerEvent, 1)->name[0], 'b');
    EXPECT_EQ(timeline.nthEvent(kMarkerEvent, 2), nullptr);
    EXPECT_EQ(timeline.nthEvent(kMarkerEvent, -1), nullptr);

    // Replacing the events at 100 by one script command adjusts the counters to what is left.
    timeline.setSelection(100, 101);
    ASSERT_NE(timeline.replaceEventAtSelection(kScriptEvent), nullptr);
    EXPECT_EQ(timeline.events().count(), 2);
    EXPECT_EQ(timeline.eventCount(kMarkerEvent), 0);
    EXPECT_EQ(timeline.eventCount(kImageEvent), 0);
    EXPECT_EQ(timeline.eventCount(kScriptEvent), 2);
}

TEST(EventTrack, ImageAndSoundNamesFollowTheLibraryLists)
{
    TimelineData timeline;
    for (std::int32_t t : {10, 20, 30}) {
        timeline.setSelection(t, t);
        std::strcpy(timeline.insertPointEvent(kImageEvent)->name, t == 20 ? "sky" : "sea");
        timeline.setSelection(t, t + 5);
        std::strcpy(timeline.insertSound()->name, t == 20 ? "rain" : "wind");
    }
    EXPECT_EQ(timeline.renameImageEvents("sea", "ocean"), 2);
    EXPECT_EQ(timeline.deleteImageEvents("ocean"), 2);
    EXPECT_EQ(timeline.eventCount(kImageEvent), 1);
    EXPECT_STREQ(timeline.events().item(0)->name, "sky");
    EXPECT_EQ(timeline.renameSounds("wind", "storm"), 2);
    EXPECT_EQ(timeline.deleteSounds("storm"), 2);
    EXPECT_EQ(spansOf(timeline.sounds()), (SpanList{{20, 25}}));
}

TEST(TrackStorage, LookupsAndCapacity)
{
    TrackArray<SoundItem> track;
    EXPECT_TRUE(track.reserve(10));
    EXPECT_EQ(track.capacity(), 10);
    EXPECT_TRUE(track.grow(0));
    EXPECT_EQ(track.capacity(), 138);
    EXPECT_TRUE(track.setCount(200));
    EXPECT_EQ(track.capacity(), 200);
    EXPECT_EQ(track.item(200), nullptr);
    EXPECT_EQ(track.item(-1), nullptr);
    track.clear();
    track.insertSpan(100, 200, false);
    // Reserving more keeps what is stored.
    EXPECT_TRUE(track.reserve(1000));
    ASSERT_EQ(track.count(), 1);
    EXPECT_EQ(track.find(99), -1);
    EXPECT_EQ(track.find(100), 0);
    EXPECT_EQ(track.find(199), 0);
    EXPECT_EQ(track.find(200), -1);
}

TEST(TimelineVoice, NewVoiceEmptiesTracksAndReleaseDeletesTheCopy)
{
    const auto source = std::filesystem::temp_directory_path() / "timeline-test-voice.wav";
    {
        std::ofstream(source) << "RIFF";
    }
    TimelineData timeline;
    timeline.setSelection(0, 10);
    timeline.insertViseme();
    ASSERT_TRUE(timeline.setVoice(source, 16000));
    const auto copy = timeline.voiceFile();
    EXPECT_TRUE(std::filesystem::exists(copy));
    EXPECT_EQ(copy.filename().string().rfind("wav", 0), 0u);
    EXPECT_EQ(timeline.visemes().count(), 0);
    EXPECT_EQ(timeline.sampleCount(), 16000);
    EXPECT_FALSE(timeline.setVoice(source.string() + ".absent", 5));
    EXPECT_FALSE(std::filesystem::exists(copy));
    timeline.release();
    EXPECT_TRUE(timeline.voiceFile().empty());
    std::filesystem::remove(source);
}

class MemoryVoice : public VoiceReader {
public:
    MemoryVoice(VoiceFormat format, std::vector<std::uint8_t> data) : format_(format), data_(std::move(data))
    {
    }
    bool open(const std::filesystem::path&, VoiceFormat& format, std::uint32_t& dataBytes) override
    {
        format = format_;
        dataBytes = std::uint32_t(data_.size());
        return isOpen_ = true;
    }
    bool read(void* buffer, std::size_t bytes) override
    {
        if (position_ + bytes > data_.size())
            return false;
        std::memcpy(buffer, data_.data() + position_, bytes);
        position_ += bytes;
        return true;
    }
    bool seek(std::uint32_t offset) override { return position_ = offset, true; }
    void close() override { isOpen_ = false; }
    bool isOpen_ = false;

private:
    VoiceFormat format_;
    std::vector<std::uint8_t> data_;
    std::size_t position_ = 0;
};

TEST(TimelineVoice, OnlySixteenKilohertzMonoSixteenBitOpens)
{
    const auto source = std::filesystem::temp_directory_path() / "timeline-test-open.wav";
    {
        std::ofstream(source) << "RIFF";
    }
    const std::pair<VoiceFormat, bool> cases[] = {
        {{1, 1, 16000, 16}, true},
        {{1, 2, 16000, 16}, false},
        {{1, 1, 44100, 16}, false},
        {{1, 1, 16000, 8}, false},
    };
    for (const auto& [format, accepted] : cases) {
        TimelineData timeline;
        ASSERT_TRUE(timeline.setVoice(source, 0));
        MemoryVoice voice(format, {1, 2, 3, 4, 5, 6});
        EXPECT_EQ(timeline.openVoice(voice), accepted);
        EXPECT_EQ(voice.isOpen_, accepted);
        EXPECT_EQ(timeline.sampleCount(), accepted ? 3 : 0);
        EXPECT_EQ(timeline.readSamples(2),
                  accepted ? std::vector<std::uint8_t>({1, 2}) : std::vector<std::uint8_t>{});
        if (!accepted)
            continue;
        EXPECT_TRUE(timeline.readSamples(5).empty()); // past the end
        EXPECT_TRUE(timeline.seekSamples(4));
        EXPECT_FALSE(timeline.seekSamples(7));
        EXPECT_EQ(timeline.readSamples(2), (std::vector<std::uint8_t>{5, 6}));
        timeline.closeVoice();
        EXPECT_FALSE(voice.isOpen_);
    }
    std::filesystem::remove(source);
}

} // namespace

namespace {

struct CountingObserver : TimelineObserver {
    TimelineData* timeline = nullptr;
    int calls = 0;
    unsigned last = 0;
    bool removeSelf = false;
    void timelineChanged(unsigned changes) override
    {
        ++calls;
        last = changes;
        if (removeSelf)
            timeline->removeObserver(this);
    }
};

} // namespace

TEST(TimelineObservers, AreToldOnceEachAndMayLeaveWhileBeingTold)
{
    TimelineData timeline;
    CountingObserver stays, leaves;
    leaves.timeline = &timeline;
    leaves.removeSelf = true;
    timeline.addObserver(&stays);
    timeline.addObserver(&stays);
    timeline.addObserver(&leaves);
    timeline.notifyChanged(kVisemesChanged);
    timeline.notifyChanged(kSoundsChanged);
    EXPECT_EQ(stays.calls, 2);
    EXPECT_EQ(stays.last, unsigned(kSoundsChanged));
    EXPECT_EQ(leaves.calls, 1);
    timeline.removeObserver(&stays);
    timeline.notifyChanged(kEverythingChanged);
    EXPECT_EQ(stays.calls, 2);
}
