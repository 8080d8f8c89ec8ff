#include "timeline/TimelineData.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

template <typename Item> std::string spanFault(const TrackArray<Item>& track, bool pointsOnly, bool noGaps)
{
    const auto& items = track.records();
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (item.length == 0 || item.length != item.end - item.start || item.end <= item.start)
            return "bad span at " + std::to_string(i);
        if (pointsOnly && item.length != 1)
            return "event longer than a point at " + std::to_string(i);
        if (noGaps && item.start != (i == 0 ? 0u : items[i - 1].end))
            return "gap before key " + std::to_string(i);
        if (i == 0)
            continue;
        if (item.start < items[i - 1].start)
            return "unsorted at " + std::to_string(i);
        if (!pointsOnly && item.start < items[i - 1].end)
            return "overlap at " + std::to_string(i);
    }
    return {};
}

std::string eventCountFault(TimelineData& timeline)
{
    int counts[3] = {0, 0, 0};
    for (const EventItem& item : timeline.events().records())
        ++counts[item.kind];
    for (EventKind kind : {kScriptEvent, kImageEvent, kMarkerEvent})
        if (timeline.eventCount(kind) != counts[kind])
            return "event counter " + std::to_string(kind) + " is off";
    return {};
}

std::string timelineFault(TimelineData& timeline)
{
    for (const std::string& fault :
         {spanFault(timeline.visemes(), false, false), spanFault(timeline.expressions(), false, false),
          spanFault(timeline.headTurns(), false, true), spanFault(timeline.sounds(), false, false),
          spanFault(timeline.events(), true, false), eventCountFault(timeline)})
        if (!fault.empty())
            return fault;
    return {};
}

// Moves item i by `shift` keeping its length, as a drag in the track window does, then compacts.
template <typename Item> void drag(TrackArray<Item>& track, int i, std::int32_t shift, bool gaps)
{
    Item* item = track.item(i);
    if (!item)
        return;
    const std::int64_t start = std::max<std::int64_t>(0, std::int64_t(item->start) + shift);
    item->start = std::uint32_t(start);
    item->end = item->start + item->length;
    track.compact(gaps);
}

// One random edit of a random track over a random selection, as the track window would make it.
void randomEdit(TimelineData& t, std::mt19937& random)
{
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const std::int32_t s = pick(0, 5000);
    t.setSelection(s, s + pick(0, 800));
    const int index = pick(-1, 20);
    const std::int32_t shift = pick(-1500, 1500);
    const EventKind kind = EventKind(pick(0, 2));
    switch (pick(0, 19)) {
    case 0:
        t.insertViseme();
        break;
    case 1:
        t.deleteViseme(index);
        break;
    case 2:
        t.clearVisemes();
        break;
    case 3:
        drag(t.visemes(), index, shift, false);
        break;
    case 4:
        t.insertExpression();
        break;
    case 5:
        t.deleteExpression(index);
        break;
    case 6:
        t.clearExpressions();
        break;
    case 7:
        drag(t.expressions(), index, shift, false);
        break;
    case 8:
        t.insertHeadTurn();
        break;
    case 9:
        t.deleteHeadTurn(index);
        break;
    case 10:
        t.clearHeadTurns();
        break;
    case 11:
        drag(t.headTurns(), index, shift, true);
        break;
    case 12:
        t.insertSound();
        break;
    case 13:
        t.deleteSound(index);
        break;
    case 14:
        t.clearSounds();
        break;
    case 15:
        drag(t.sounds(), index, shift, false);
        break;
    case 16:
        t.insertPointEvent(kind);
        break;
    case 17:
        t.deleteEvent(index);
        break;
    case 18:
        t.clearEvents();
        break;
    default:
        t.replaceEventAtSelection(kind);
        break;
    }
}

TEST(TrackInvariants, HoldAfterEveryRandomEdit)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        TimelineData timeline;
        std::mt19937 random(seed);
        int busiest = 0;
        for (int step = 0; step < 2000; ++step) {
            randomEdit(timeline, random);
            busiest = std::max(busiest, timeline.visemes().count() + timeline.headTurns().count());
            const std::string fault = timelineFault(timeline);
            ASSERT_TRUE(fault.empty()) << "seed " << seed << " step " << step << ": " << fault;
        }
        EXPECT_GT(busiest, 10) << "the edits should fill the tracks, seed " << seed;
    }
}

} // namespace
