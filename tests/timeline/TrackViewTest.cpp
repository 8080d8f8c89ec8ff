#include "timeline/TimelineData.h"
#include "timeline/TrackView.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void addSpan(TimelineData& timeline, std::uint32_t s, std::uint32_t e)
{
    timeline.setSelection(std::int32_t(s), std::int32_t(e));
    ASSERT_NE(timeline.insertExpression(), nullptr);
}

int middleOf(const TrackView& view, int row)
{
    return view.row(row).top + view.row(row).height / 2;
}

} // namespace

TEST(TrackViewZoom, ThreeFormsAndTheRangeTest)
{
    struct Case {
        int sampleCount, width, selStart, selEnd, n;
        int perPixel;
        bool fit;
        long long origin;
    } cases[] = {
        {160000, 1000, 0, 0, 0, 160, true, 0},           // fit: ceil(160000 / 1000)
        {160001, 1000, 0, 0, 0, 161, true, 0},           // rounded up, never cut off
        {0, 1000, 0, 0, 0, 50, true, 0},                 // an empty voice falls back to 50
        {160000, 1000, 32000, 48000, -1, 16, false, 32000},  // the selection fills the width
        {160000, 1000, 5000, 5000, -1, 50, false, 5000},      // an empty selection: 50
        {160000, 1000, 0, 0, 7, 7, false, 0},
    };
    for (const Case& c : cases) {
        TimelineData timeline;
        timeline.setSampleCount(c.sampleCount);
        timeline.setSelection(c.selStart, c.selEnd);
        TrackView view(timeline);
        view.setClientSize(c.width, 300);
        view.zoom(c.n);
        EXPECT_EQ(view.samplesPerPixel(), c.perPixel) << c.n << " " << c.sampleCount;
        EXPECT_EQ(view.fitted(), c.fit);
        EXPECT_EQ(view.origin(), c.origin);
    }

    TimelineData timeline;
    timeline.setSampleCount(1600000);
    TrackView view(timeline);
    view.setClientSize(1000, 300);
    struct Range {
        int s, e, lo, hi;
        bool inRange;
    } ranges[] = {
        {0, 1, 1, 100, false},        // one sample is no selection to fit
        {0, 2, 1, 100, true},         // ceil(2 / 1000) = 1
        {0, 100000, 100, 100, true},  // exactly 100
        {0, 100001, 100, 100, false}, // 101
        {0, 100001, 1, 100, false},
    };
    for (const Range& r : ranges) {
        timeline.setSelection(r.s, r.e);
        EXPECT_EQ(view.zoomInRange(r.lo, r.hi), r.inRange) << r.s << ".." << r.e;
    }
}

TEST(TrackViewScroll, StaysInsideTheRangeAndIsOffWithoutAVoice)
{
    TimelineData timeline;
    TrackView view(timeline);
    view.setClientSize(400, 300);
    view.zoom(10);
    EXPECT_FALSE(view.scrollEnabled());
    EXPECT_FALSE(view.lineRight());
    EXPECT_EQ(view.origin(), 0);

    timeline.setSampleCount(10000); // 1000 pixels at 10 samples per pixel
    view.updateScroll();
    ASSERT_TRUE(view.scrollEnabled());
    EXPECT_EQ(view.scrollRange(), 1000);
    struct Step {
        int action; // 0 line right, 1 line left, 2 page right, 3 page left, 4 to position
        int argument;
        int position;
    } steps[] = {{0, 0, 16}, {2, 0, 216}, {3, 0, 16}, {1, 0, 0}, {1, 0, 0}, {4, 5000, 600}, {0, 0, 600},
                 {4, -3, 0}};
    for (const Step& step : steps) {
        switch (step.action) {
        case 0: view.lineRight(); break;
        case 1: view.lineLeft(); break;
        case 2: view.pageRight(); break;
        case 3: view.pageLeft(); break;
        default: view.scrollTo(step.argument); break;
        }
        EXPECT_EQ(view.scrollPosition(), step.position);
        EXPECT_EQ(view.origin(), 10 * step.position);
    }
    // A zoom that makes the range shorter pulls the position back inside it.
    view.scrollTo(600);
    view.zoom(20);
    EXPECT_EQ(view.scrollPosition(), 100);
}

TEST(TrackViewRuler, RoundedStepTicksAndLabels)
{
    struct Case {
        int perPixel;
        long long stepMs;
        long long minorSamples;
        int decimals;
    } cases[] = {
        {1, 5, 16, 3},          // 3 -> l = 2 becomes 5 when g = 1; minor a fifth
        {50, 200, 320, 1},      // 150 -> 200 ms, 64 px apart: tenths
        {60, 200, 640, 1},      // 180 -> 200 ms, 53 px apart: fifths
        {20, 100, 320, 1},      // 60 -> 100, l = 1
        {7, 50, 160, 2},        // 21 -> 50
        {1000, 5000, 16000, 0}, // 3000 -> 5000 ms
        {40, 200, 320, 1},      // 120 -> 200 ms at 80 px: l = 2 and wider than 56 px gives tenths
    };
    for (const Case& c : cases) {
        TimelineData timeline;
        TrackView view(timeline);
        view.zoom(c.perPixel);
        const RulerStep step = view.rulerStep();
        EXPECT_EQ(step.stepMs, c.stepMs) << c.perPixel;
        EXPECT_EQ(step.majorSamples, 16 * c.stepMs);
        EXPECT_EQ(step.minorSamples, c.minorSamples) << c.perPixel;
        EXPECT_EQ(step.decimals, c.decimals) << c.perPixel;
    }

    struct Label {
        int perPixel;
        int mode;
        long long samples;
        const char* text;
    } labels[] = {
        {50, 1, 16000 * 3 + 3200, "3.2"},
        {1, 1, 16, "0.001"},
        {1000, 1, 16000 * 75, "75"},
        {50, 2, 16000 * 75 + 3200, "1:15.2"},
        {50, 2, 3200, "0:00.2"},
        {1000, 2, 16000 * 125, "2:05"},
        {1, 2, 16000 * 61 + 16, "1:01.001"},
    };
    for (const Label& l : labels) {
        TimelineData timeline;
        TrackView view(timeline);
        view.zoom(l.perPixel);
        view.setTimeDisplayMode(l.mode);
        EXPECT_EQ(view.rulerLabel(l.samples), l.text);
    }
}

TEST(TrackViewHitTest, EdgesBodiesActivePreferenceAndFlags)
{
    TimelineData timeline;
    timeline.setSampleCount(1000000);
    addSpan(timeline, 1000, 2000);  // x 10 .. 20
    addSpan(timeline, 2000, 2300);  // x 20 .. 23, touching
    addSpan(timeline, 5000, 8000);  // x 50 .. 80
    TrackView view(timeline);
    view.setClientSize(800, 300);
    view.zoom(100);
    const int y = middleOf(view, kExpressionRow);
    const TrackHit none;
    struct Case {
        int x;
        TrackHit active;
        TrackHit expected;
    } cases[] = {
        {7, none, {}},                                         // 3 px left of the start
        {8, none, {kExpressionRow, 0, kLeftEdge}},
        {12, none, {kExpressionRow, 0, kLeftEdge}},
        {13, none, {kExpressionRow, 0, kBodyPart}},
        {20, none, {kExpressionRow, 0, kRightEdge}},           // the shared boundary: first item wins
        {20, {kExpressionRow, 1, kNoPart}, {kExpressionRow, 1, kLeftEdge}}, // unless the other is active
        {22, {kExpressionRow, 0, kNoPart}, {kExpressionRow, 0, kRightEdge}},
        {21, none, {kExpressionRow, 0, kRightEdge}},
        {23, none, {kExpressionRow, 1, kRightEdge}},
        {65, none, {kExpressionRow, 2, kBodyPart}},
        {82, none, {kExpressionRow, 2, kRightEdge}},
        {83, none, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.hitTest(c.x, y, c.active), c.expected) << c.x;
    EXPECT_FALSE(view.hitTest(65, middleOf(view, kVisemeRow), none).valid());
    EXPECT_FALSE(view.hitTest(65, middleOf(view, kWaveformRow), none).valid());

    // Two markers 30 px apart overlap as flags: the later one is on top and is hit first; a flag is
    // only hit in its kind's band.
    timeline.setSelection(10000, 10000);
    timeline.insertPointEvent(kMarkerEvent);
    timeline.setSelection(13000, 13000);
    timeline.insertPointEvent(kMarkerEvent);
    timeline.setSelection(20000, 20000);
    timeline.insertPointEvent(kScriptEvent);
    const int markerY = view.eventBand(kMarkerEvent).top + 2;
    const int scriptY = view.eventBand(kScriptEvent).top + 2;
    struct Flag {
        int x, y, index;
    } flags[] = {{98, markerY, 0}, {97, markerY, -1}, {120, markerY, 0}, {140, markerY, 1}, {196, markerY, 1},
                 {197, markerY, -1}, {200, scriptY, 2}, {200, markerY, -1}, {140, scriptY, -1}};
    for (const Flag& f : flags) {
        const TrackHit hit = view.hitTest(f.x, f.y, none);
        EXPECT_EQ(hit.index, f.index) << f.x;
        if (hit.valid()) {
            EXPECT_EQ(hit.part, kBodyPart);
        }
    }
}
