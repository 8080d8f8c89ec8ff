#include "timeline/TimelineData.h"
#include "timeline/TimelineUndo.h"
#include "timeline/TrackInteraction.h"
#include "timeline/TrackView.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Spans = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

template <typename Item> Spans spansOf(const TrackArray<Item>& track)
{
    Spans spans;
    for (const Item& item : track.records())
        spans.emplace_back(item.start, item.end);
    return spans;
}

// A ten-second voice at 100 samples per pixel, so that x = t / 100.
struct Editor {
    TimelineData timeline;
    TrackView view{timeline};
    TimelineUndo undo{timeline};
    TrackInteraction editor{timeline, view, undo};

    explicit Editor(std::int32_t samples = 160000)
    {
        timeline.setSampleCount(samples);
        view.setClientSize(800, 300);
        view.zoom(100);
    }
    int y(int row) const { return view.row(row).top + view.row(row).height / 2; }
    void expressions(const Spans& spans)
    {
        for (auto [s, e] : spans) {
            timeline.setSelection(std::int32_t(s), std::int32_t(e));
            ASSERT_TRUE(editor.insertExpression(1, "Joy", 50));
        }
        timeline.setSelection(0, 0);
        editor.clearActive();
    }
    void dragOn(int row, int fromX, int toX)
    {
        editor.press(fromX, y(row));
        editor.drag((fromX + toX) / 2, y(row));
        editor.drag(toX, y(row));
        editor.release(toX, y(row));
    }
};

} // namespace

TEST(TrackMouse, SelectingWithAndWithoutAVoice)
{
    {
        Editor empty(0);
        EXPECT_FALSE(empty.view.scrollEnabled());
        for (int x : {0, 50, 400, 799}) {
            empty.editor.press(x, empty.y(kWaveformRow));
            empty.editor.drag(x + 30, empty.y(kWaveformRow));
            empty.editor.release(x + 30, empty.y(kWaveformRow));
            EXPECT_EQ(empty.timeline.selectionStart(), 0);
            EXPECT_EQ(empty.timeline.selectionEnd(), 0);
        }
    }
    Editor e;
    struct Case {
        int from, to;
        std::int32_t s, end;
    } cases[] = {
        {100, 300, 10000, 30000},
        {300, 100, 10000, 30000},     // dragged leftwards, still in order
        {700, 900, 70000, 90000},     // past the window: the view scrolls, the end follows
        {50, -40, 0, 5000},           // clamped at 0
        {120, 120, 12000, 12000},     // a click collapses the selection
    };
    for (const Case& c : cases) {
        e.view.scrollTo(0);
        e.editor.press(c.from, e.y(kRulerRow));
        e.editor.drag(c.to, e.y(kRulerRow));
        const std::int64_t origin = e.view.origin();
        e.editor.release(c.to, e.y(kRulerRow));
        EXPECT_EQ(e.timeline.selectionStart(), c.s) << c.from << "->" << c.to;
        if (c.to < 800)
            EXPECT_EQ(e.timeline.selectionEnd(), c.end);
        else
            EXPECT_EQ(e.timeline.selectionEnd(), origin + 100 * c.to); // scrolled by one line first
        EXPECT_EQ(e.editor.statusText().rfind("Start: ", 0), 0u);
    }
}

TEST(TrackMouse, EdgesAndBodiesAgainstNeighbours)
{
    struct Case {
        const char* what;
        Spans before;
        int fromX, toX;
        Spans after;
    } cases[] = {
        {"left edge onto a touching neighbour moves the shared boundary", {{1000, 2000}, {2000, 4000}}, 20, 15,
         {{1000, 1500}, {1500, 4000}}},
        {"the shared boundary moves right as well", {{1000, 2000}, {2000, 4000}}, 20, 30,
         {{1000, 3000}, {3000, 4000}}},
        {"a shared boundary never swallows the neighbour", {{1000, 2000}, {2000, 4000}}, 20, 2,
         {{1000, 1001}, {1001, 4000}}},
        {"a left edge stops at a neighbour with a gap", {{1000, 2000}, {3000, 4000}}, 30, 5,
         {{1000, 2000}, {2000, 4000}}},
        {"a left edge stops before the item's own end", {{1000, 2000}, {3000, 4000}}, 30, 60,
         {{1000, 2000}, {3999, 4000}}},
        {"a right edge stops at the next item", {{1000, 2000}, {3000, 4000}}, 20, 35,
         {{1000, 3000}, {3000, 4000}}},
        {"a right edge stops at the voice's end", {{150000, 155000}}, 1550, 1700, {{150000, 160000}}},
        {"a body stops at the next item without shrinking", {{1000, 2000}, {3000, 4000}}, 15, 40,
         {{2000, 3000}, {3000, 4000}}},
        {"a body stops at the previous item", {{1000, 2000}, {3000, 4000}}, 35, 0,
         {{1000, 2000}, {2000, 3000}}},
        {"a body stops at 0", {{1000, 2000}}, 15, -50, {{0, 1000}}},
        {"a body moves freely between neighbours", {{1000, 2000}, {5000, 6000}, {9000, 9500}}, 55, 65,
         {{1000, 2000}, {6000, 7000}, {9000, 9500}}},
    };
    for (const Case& c : cases) {
        Editor e;
        e.expressions(c.before);
        e.dragOn(kExpressionRow, c.fromX, c.toX);
        EXPECT_EQ(spansOf(e.timeline.expressions()), c.after) << c.what;
        EXPECT_TRUE(e.editor.active().valid()) << c.what;
        EXPECT_TRUE(e.editor.modified()) << c.what;
    }
}

TEST(TrackMouse, AClickActivatesWithoutMovingAndHeadTurnsStayGapless)
{
    Editor e;
    e.expressions({{1000, 2000}, {3200, 4800}});
    e.editor.press(40, e.y(kExpressionRow));
    e.editor.release(40, e.y(kExpressionRow));
    EXPECT_EQ(spansOf(e.timeline.expressions()), (Spans{{1000, 2000}, {3200, 4800}}));
    EXPECT_EQ(e.editor.active(), (TrackHit{kExpressionRow, 1, kNoPart}));
    EXPECT_EQ(e.timeline.selectionStart(), 3200);
    EXPECT_EQ(e.timeline.selectionEnd(), 4800);
    EXPECT_EQ(e.editor.statusText(), "Expression: Joy  Start: 0.200  End: 0.300");
    EXPECT_FALSE(e.undo.canUndo() && e.undo.undoName() == "Move Expression");

    // Clicking empty space clears the active item.
    e.editor.press(300, e.y(kExpressionRow));
    e.editor.release(300, e.y(kExpressionRow));
    EXPECT_FALSE(e.editor.active().valid());

    // Head-turn keys all touch: a left edge moves the boundary, and the first key's start dragged
    // away from 0 comes back on release.
    for (auto [s, end] : Spans{{0, 2000}, {2000, 6000}, {6000, 9000}}) {
        e.timeline.setSelection(std::int32_t(s), std::int32_t(end));
        e.editor.insertHeadTurn(10, 20, 30);
    }
    e.dragOn(kHeadTurnRow, 60, 70);
    EXPECT_EQ(spansOf(e.timeline.headTurns()), (Spans{{0, 2000}, {2000, 7000}, {7000, 9000}}));
    e.dragOn(kHeadTurnRow, 0, 10);
    EXPECT_EQ(spansOf(e.timeline.headTurns()), (Spans{{0, 2000}, {2000, 7000}, {7000, 9000}}));
    EXPECT_EQ(e.editor.statusText(), "Head turn:  Start: 0.000  End: 0.125");
}

TEST(TrackMouse, EventFlagsMoveWholeAndStayInOrder)
{
    Editor e;
    for (std::int32_t t : {10000, 20000, 30000}) {
        e.timeline.setSelection(t, t);
        e.editor.insertMarker(std::to_string(t).insert(0, 1, 'm'));
    }
    const int y = e.view.eventBand(kMarkerEvent).top + 2;
    e.editor.press(110, y);   // 10 px into the first flag
    e.editor.drag(260, y);
    e.editor.release(260, y);
    ASSERT_EQ(e.timeline.events().count(), 3);
    EXPECT_STREQ(e.timeline.events().item(1)->name, "m10000");
    EXPECT_EQ(e.timeline.events().item(1)->start, 25000u);
    EXPECT_EQ(e.editor.active(), (TrackHit{kEventRow, 1, kNoPart}));
    EXPECT_EQ(e.timeline.selectionStart(), 25000);
    EXPECT_EQ(e.timeline.selectionEnd(), 25001);
    EXPECT_EQ(e.timeline.eventCount(kMarkerEvent), 3);
}

TEST(TrackDrops, AcceptRulesOfTheFourLists)
{
    Editor e;
    e.timeline.setSelection(10000, 20000);
    const int visemeY = e.y(kVisemeRow);
    struct Case {
        const char* what;
        int row, x;
        std::int32_t selStart, selEnd;
        bool accepted;
    } visemeCases[] = {
        {"inside the selection", kVisemeRow, 150, 10000, 20000, true},
        {"left of it", kVisemeRow, 99, 10000, 20000, false},
        {"at its exclusive end", kVisemeRow, 200, 10000, 20000, false},
        {"on another row", kExpressionRow, 150, 10000, 20000, false},
        {"a selection of one pixel", kVisemeRow, 100, 10000, 10100, false},
        {"just over one pixel", kVisemeRow, 100, 10000, 10101, true},
    };
    for (const Case& c : visemeCases) {
        e.timeline.setSelection(c.selStart, c.selEnd);
        EXPECT_EQ(e.editor.dropViseme(3, "TD", c.x, e.y(c.row), true), c.accepted) << c.what;
        EXPECT_EQ(e.timeline.visemes().count(), 0) << c.what;
    }
    e.timeline.setSelection(10000, 20000);
    ASSERT_TRUE(e.editor.dropViseme(3, "TD", 150, visemeY, false));
    const VisemeItem& viseme = *e.timeline.visemes().item(0);
    EXPECT_EQ(viseme.viseme, 3);
    EXPECT_STREQ(viseme.visemeShortName, "TD");
    EXPECT_EQ(viseme.weight, 50);
    EXPECT_EQ(e.editor.active(), (TrackHit{kVisemeRow, 0, kNoPart}));

    ASSERT_TRUE(e.editor.dropExpression(6, "Surprise-and-more", 150, e.y(kExpressionRow), false));
    EXPECT_STREQ(e.timeline.expressions().item(0)->name, "Surprise-and-m"); // 14 characters
    EXPECT_EQ(e.timeline.expressions().item(0)->intensity, 50);

    // Pictures: the selection collapses to the drop point on the real drop only; a second picture
    // at the same time is refused.
    const int eventY = e.view.eventBand(1).top + 1;
    EXPECT_TRUE(e.editor.dropImage("sky", 300, eventY, true));
    EXPECT_EQ(e.editor.pendingDrop(), 30000);
    EXPECT_EQ(e.timeline.selectionStart(), 10000);
    ASSERT_TRUE(e.editor.dropImage("sky", 300, eventY, false));
    EXPECT_EQ(e.timeline.events().item(0)->start, 30000u);
    EXPECT_STREQ(e.timeline.events().item(0)->name, "sky");
    EXPECT_EQ(e.timeline.eventCount(kImageEvent), 1);
    EXPECT_FALSE(e.editor.dropImage("sea", 300, e.view.eventBand(2).top + 1, true));
    EXPECT_TRUE(e.editor.dropImage("sea", 900, eventY, false)); // clamped to the client area
    EXPECT_EQ(e.timeline.events().item(1)->start, 79900u);

    // Sound clips: inside the selection they cover it, elsewhere they last the clip, clamped to
    // the voice's end; a clip of no length is refused.
    const int soundY = e.y(kSoundRow);
    e.timeline.setSelection(10000, 20000);
    ASSERT_TRUE(e.editor.dropSound("rain", 50000, 120, soundY, false));
    EXPECT_EQ(spansOf(e.timeline.sounds()), (Spans{{10000, 20000}}));
    EXPECT_EQ(e.timeline.sounds().item(0)->volume, 100);
    e.view.scrollTo(e.view.scrollMaximum());
    ASSERT_TRUE(e.editor.dropSound("rain", 50000, 700, soundY, false));
    EXPECT_EQ(spansOf(e.timeline.sounds()).back(), (std::pair<std::uint32_t, std::uint32_t>{150000, 160000}));
    EXPECT_FALSE(e.editor.dropSound("silence", 0, 100, soundY, true));
    EXPECT_FALSE(e.editor.dropSound("rain", 100, 100, e.y(kEventRow), true));
}

TEST(TrackCommands, DeleteTheActiveItemOrTheSelectionAndCarryOverNames)
{
    Editor e;
    e.expressions({{1000, 2000}, {3000, 5000}, {6000, 8000}});
    // Without an active item the selection range is cleared on that track.
    e.timeline.setSelection(1500, 3500);
    ASSERT_TRUE(e.editor.deleteOnRow(kExpressionRow));
    EXPECT_EQ(spansOf(e.timeline.expressions()), (Spans{{1000, 1500}, {3500, 5000}, {6000, 8000}}));
    // With one the item goes whole.
    e.editor.press(70, e.y(kExpressionRow));
    e.editor.release(70, e.y(kExpressionRow));
    ASSERT_TRUE(e.editor.deleteActive());
    EXPECT_EQ(spansOf(e.timeline.expressions()), (Spans{{1000, 1500}, {3500, 5000}}));
    EXPECT_FALSE(e.editor.active().valid());

    for (std::int32_t t : {1000, 2000, 3000}) {
        e.timeline.setSelection(t, t);
        e.editor.insertImageEvent(t == 2000 ? "sea" : "sky");
    }
    e.timeline.setSelection(5000, 5000);
    e.editor.insertMarker("");
    ASSERT_TRUE(e.editor.renameImage("sky", "cloud"));
    EXPECT_STREQ(e.timeline.events().item(0)->name, "cloud");
    EXPECT_STREQ(e.timeline.events().item(2)->name, "cloud");
    ASSERT_TRUE(e.editor.removeImage("cloud"));
    ASSERT_EQ(e.timeline.events().count(), 2);
    EXPECT_EQ(e.timeline.eventCount(kImageEvent), 1);
    ASSERT_TRUE(e.editor.removeAllEvents(kImageEvent));
    EXPECT_EQ(e.timeline.eventCount(kImageEvent), 0);
    EXPECT_EQ(e.timeline.eventCount(kMarkerEvent), 1);
    EXPECT_EQ(e.undo.undoName(), "Remove all events");

    // Left and Right move the selection by a frame and stop at the voice's ends.
    e.timeline.setSelection(100, 1100);
    EXPECT_TRUE(e.editor.moveSelection(1));
    EXPECT_EQ(e.timeline.selectionStart(), 740);
    EXPECT_TRUE(e.editor.moveSelection(-1));
    EXPECT_TRUE(e.editor.moveSelection(-1));
    EXPECT_EQ(e.timeline.selectionStart(), 0);
    EXPECT_EQ(e.timeline.selectionEnd(), 1000);
    EXPECT_FALSE(e.editor.moveSelection(-1));
}

// Every edit the window can make, applied at random, then all taken back and done again: each step
// must give back exactly the records it started from.
TEST(TrackUndo, RandomEditSequencesUndoAndRedoExactly)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        Editor e;
        std::mt19937 random(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
        std::vector<TimelineState> states{captureTimeline(e.timeline)};
        for (int step = 0; step < 60; ++step) {
            const std::int32_t s = pick(0, 150000);
            e.timeline.setSelection(s, s + pick(0, 9000));
            const int rows[] = {kVisemeRow, kExpressionRow, kHeadTurnRow, kEventRow, kSoundRow};
            const int row = rows[pick(0, 4)];
            const int x = pick(0, 799);
            switch (pick(0, 9)) {
            case 0: e.editor.insertViseme(pick(0, 14), "v", pick(0, 100)); break;
            case 1: e.editor.insertExpression(pick(0, 6), "x", pick(0, 100)); break;
            case 2: e.editor.insertHeadTurn(pick(-60, 60), pick(-60, 60), pick(-60, 60)); break;
            case 3: e.editor.insertSound(pick(0, 1) ? "a" : "b", pick(1, 40000), pick(0, 100)); break;
            case 4: pick(0, 1) ? e.editor.insertMarker("m") : e.editor.insertImageEvent(pick(0, 1) ? "a" : "b"); break;
            case 5: e.editor.deleteOnRow(row); break;
            case 6: e.dragOn(row, x, x + pick(-60, 60)); break;
            case 7: e.editor.press(x, e.y(row)); e.editor.release(x, e.y(row)); e.editor.deleteActive(); break;
            case 8: pick(0, 1) ? e.editor.renameImage("a", "b") : e.editor.removeSound("a"); break;
            default: e.editor.removeAllOnRow(row); break;
            }
            if (e.undo.stepCount() >= states.size())
                states.push_back(captureTimeline(e.timeline));
            ASSERT_EQ(e.undo.stepCount() + 1, states.size()) << "seed " << seed << " step " << step;
        }
        auto sameAs = [&](const TimelineState& state) {
            return differingTracks(captureTimeline(e.timeline), state) == 0 &&
                   e.timeline.eventCount(kImageEvent) + e.timeline.eventCount(kMarkerEvent) +
                           e.timeline.eventCount(kScriptEvent) == e.timeline.events().count();
        };
        for (size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_TRUE(e.editor.undo());
            ASSERT_TRUE(sameAs(states[i - 1])) << "seed " << seed << " undo to " << i - 1;
        }
        EXPECT_FALSE(e.editor.undo());
        EXPECT_FALSE(e.editor.modified());
        for (size_t i = 1; i < states.size(); ++i) {
            ASSERT_TRUE(e.editor.redo());
            ASSERT_TRUE(sameAs(states[i])) << "seed " << seed << " redo to " << i;
        }
        EXPECT_TRUE(e.editor.modified() || states.size() == 1);
    }
}

TEST(TrackUndo, CleanPointBudgetAndLostRedo)
{
    Editor e;
    e.timeline.setSelection(0, 1000);
    e.editor.insertExpression(1, "Joy", 50);
    e.undo.setClean();
    EXPECT_FALSE(e.editor.modified());
    e.timeline.setSelection(2000, 3000);
    e.editor.insertExpression(2, "Sadness", 50);
    EXPECT_TRUE(e.editor.modified());
    EXPECT_EQ(e.undo.undoName(), "Insert expression");
    e.editor.undo();
    EXPECT_FALSE(e.editor.modified());
    e.editor.undo();
    EXPECT_TRUE(e.editor.modified());
    // A new edit from here drops the redo steps, and the clean point with them.
    e.timeline.setSelection(5000, 6000);
    e.editor.insertExpression(3, "Anger", 50);
    EXPECT_FALSE(e.undo.canRedo());
    e.editor.undo();
    EXPECT_TRUE(e.editor.modified());

    // A small budget keeps only the newest steps.
    TimelineData timeline;
    timeline.setSampleCount(100000);
    TrackView view(timeline);
    TimelineUndo undo(timeline, 4 * sizeof(ExpressionItem));
    TrackInteraction editor(timeline, view, undo);
    for (std::int32_t i = 0; i < 10; ++i) {
        timeline.setSelection(i * 100, i * 100 + 50);
        editor.insertExpression(1, "Joy", 50);
    }
    EXPECT_LE(undo.stepCount(), 3u);
    while (editor.undo()) {
    }
    EXPECT_EQ(timeline.expressions().count(), 10 - int(undo.stepCount()));
    EXPECT_TRUE(editor.modified());
}
