#include "WidgetTestSupport.h"

#include "timeline/ui/CTrackPanel.h"

#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

using widgettest::TrackWindow;

namespace {

using Spans = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

Spans expressionSpans(const TimelineData& timeline)
{
    Spans spans;
    for (const ExpressionItem& item : timeline.expressions().records())
        spans.emplace_back(item.start, item.end);
    return spans;
}

void addExpressions(TrackWindow& w, const Spans& spans)
{
    for (auto [s, e] : spans) {
        w.timeline.setSelection(std::int32_t(s), std::int32_t(e));
        ASSERT_TRUE(w.window->editor().insertExpression(2, "Sadness", 40));
    }
    w.window->editor().clearActive();
    w.timeline.setSelection(0, 0);
}

QScrollBar* scrollBarOf(CTrackRegionWnd& window)
{
    return window.findChild<QScrollBar*>();
}

// A drag of a library entry over the window, as the list's drag would deliver it.
bool dragOver(CTrackRegionWnd& window, LibraryKind kind, int index, QPoint at, bool drop)
{
    QMimeData mime;
    mime.setData(kLibraryMimeType, QByteArray::number(int(kind)) + ' ' + QByteArray::number(index));
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    if (!drop)
        return move.isAccepted();
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &dropped);
    return dropped.isAccepted();
}

} // namespace

TEST(TrackRegionWnd, AnEmptyVoiceDisablesScrollingAndClicksOnlySelectZero)
{
    TrackWindow w(0);
    EXPECT_EQ(w.window->objectName(), "TrackRegion");
    ASSERT_NE(scrollBarOf(*w.window), nullptr);
    EXPECT_FALSE(scrollBarOf(*w.window)->isEnabled());
    for (QPoint p : {w.at(kWaveformRow, 300), w.at(kVisemeRow, 20), w.at(kSoundRow, 790)}) {
        w.drag(p, p + QPoint(120, 0));
        EXPECT_EQ(w.timeline.selectionStart(), 0);
        EXPECT_EQ(w.timeline.selectionEnd(), 0);
    }
    w.timeline.setSampleCount(160000);
    w.timeline.notifyChanged(kVoiceChanged);
    EXPECT_TRUE(scrollBarOf(*w.window)->isEnabled());
    EXPECT_EQ(scrollBarOf(*w.window)->maximum(), 1600 - 800);
}

TEST(TrackRegionWnd, MouseDragsFollowTheNeighbourRules)
{
    struct Case {
        const char* what;
        Spans before;
        int fromX, toX;
        Spans after;
    } cases[] = {
        {"a left edge dragged onto a touching neighbour moves the shared boundary", {{1000, 2000}, {2000, 4000}},
         20, 14, {{1000, 1400}, {1400, 4000}}},
        {"a body dragged against a neighbour stops there without shrinking", {{1000, 2000}, {3000, 4000}}, 15,
         45, {{2000, 3000}, {3000, 4000}}},
        {"a body dragged left stops at the neighbour's end", {{1000, 2000}, {3000, 4000}}, 35, 5,
         {{1000, 2000}, {2000, 3000}}},
        {"a click that does not move leaves the item in place", {{1000, 2000}, {3000, 4000}}, 35, 35,
         {{1000, 2000}, {3000, 4000}}},
    };
    for (const Case& c : cases) {
        TrackWindow w(160000);
        addExpressions(w, c.before);
        QSignalSpy status(w.window.get(), &CTrackRegionWnd::statusTextChanged);
        w.drag(w.at(kExpressionRow, c.fromX), w.at(kExpressionRow, c.toX));
        EXPECT_EQ(expressionSpans(w.timeline), c.after) << c.what;
        ASSERT_TRUE(w.window->editor().active().valid()) << c.what;
        EXPECT_EQ(w.window->editor().active().row, kExpressionRow);
        ASSERT_FALSE(status.isEmpty());
        EXPECT_TRUE(status.last().at(0).toString().startsWith("Expression: Sadness  Start: ")) << c.what;
    }
}

TEST(TrackRegionWnd, KeyboardDeletesUndoesAndRedoes)
{
    TrackWindow w(160000);
    addExpressions(w, {{1000, 2000}, {3000, 4000}});
    w.window->undoStack().setClean();
    QSignalSpy modified(w.window.get(), &CTrackRegionWnd::modifiedChanged);
    w.click(w.at(kExpressionRow, 35));
    QTest::keyClick(w.window.get(), Qt::Key_Delete);
    EXPECT_EQ(expressionSpans(w.timeline), (Spans{{1000, 2000}}));
    ASSERT_EQ(modified.size(), 1);
    EXPECT_TRUE(modified.last().at(0).toBool());
    QTest::keyClick(w.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(expressionSpans(w.timeline), (Spans{{1000, 2000}, {3000, 4000}}));
    EXPECT_FALSE(modified.last().at(0).toBool());
    QTest::keyClick(w.window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(expressionSpans(w.timeline), (Spans{{1000, 2000}}));
    EXPECT_TRUE(modified.last().at(0).toBool());

    QSignalSpy play(w.window.get(), &CTrackRegionWnd::playSelectionRequested);
    w.timeline.setSelection(640, 1280);
    QTest::keyClick(w.window.get(), Qt::Key_Right);
    EXPECT_EQ(w.timeline.selectionStart(), 1280);
    QTest::keyClick(w.window.get(), Qt::Key_Space);
    ASSERT_EQ(play.size(), 1);
    EXPECT_EQ(play.last().at(0).toInt(), 1280);
    EXPECT_EQ(play.last().at(1).toInt(), 1920);
}

TEST(TrackRegionWnd, DropsFromTheListsAreTestedBeforeTheyAreTaken)
{
    TrackWindow w(160000);
    w.timeline.setSelection(10000, 20000);
    struct Case {
        const char* what;
        LibraryKind kind;
        int index;
        QPoint at;
        bool accepted;
    } cases[] = {
        {"an expression inside the selection", LibraryKind::expressions, 1, w.at(kExpressionRow, 150), true},
        {"an expression outside it", LibraryKind::expressions, 1, w.at(kExpressionRow, 250), false},
        {"an expression on the viseme row", LibraryKind::expressions, 1, w.at(kVisemeRow, 150), false},
        {"a viseme on its row", LibraryKind::visemes, 4, w.at(kVisemeRow, 150), true},
        {"an expression number outside the catalogue", LibraryKind::expressions, 7, w.at(kExpressionRow, 150),
         false},
        {"a picture without a project list", LibraryKind::backgrounds, 0, w.at(kEventRow, 150), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dragOver(*w.window, c.kind, c.index, c.at, false), c.accepted) << c.what;
        EXPECT_EQ(w.timeline.expressions().count() + w.timeline.visemes().count(), 0) << c.what;
    }
    ASSERT_TRUE(dragOver(*w.window, LibraryKind::expressions, 1, w.at(kExpressionRow, 150), true));
    ASSERT_EQ(w.timeline.expressions().count(), 1);
    EXPECT_STREQ(w.timeline.expressions().item(0)->name, "Joy");
    EXPECT_EQ(w.window->editor().active().row, kExpressionRow);
    EXPECT_TRUE(w.window->isModified());
    ASSERT_TRUE(dragOver(*w.window, LibraryKind::visemes, 4, w.at(kVisemeRow, 150), true));
    EXPECT_STREQ(w.timeline.visemes().item(0)->visemeShortName, "td");
}

TEST(TrackRegionWnd, PanelLinesUpCaptionsAndTheCursorSlotRepaints)
{
    TimelineData timeline;
    timeline.setSampleCount(160000);
    CTrackPanel panel(timeline);
    panel.resize(845, 330);
    panel.show();
    QCoreApplication::processEvents();
    CTrackRegionWnd* region = panel.trackRegion();
    EXPECT_EQ(region->geometry().left(), CTrackPanel::kCaptionWidth);
    EXPECT_EQ(region->width(), 800);
    region->zoom(100);
    region->setPlaybackCursor(250); // 4000 samples: x = 40
    const QImage withCursor = region->grab().toImage();
    region->setPlaybackCursor(0);
    const QImage without = region->grab().toImage();
    const int y = region->view().row(kVisemeRow).top + 5;
    EXPECT_NE(withCursor.pixel(40, y), without.pixel(40, y));
    EXPECT_EQ(withCursor.pixel(60, y), without.pixel(60, y));
}

TEST(TrackRegionWnd, EachRowMenuEnablesOneOfItsTwoDialogCommands)
{
    TrackWindow w(160000);
    addExpressions(w, {{1000, 2000}});
    auto enabled = [&](int row) {
        std::map<int, bool> states;
        std::unique_ptr<QMenu> menu(w.window->buildRowMenu(row, w.window.get()));
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                states[action->data().toInt()] = action->isEnabled();
        return states;
    };
    struct Case {
        int row;
        int insert, edit;
    } cases[] = {{kVisemeRow, 32799, 32870}, {kExpressionRow, 32831, 32869}, {kHeadTurnRow, 32859, 32868},
                 {kSoundRow, 32997, 32998}};
    for (const Case& c : cases) {
        auto states = enabled(c.row);
        EXPECT_FALSE(states.at(c.edit)) << c.row;
        if (c.row != kSoundRow) {
            EXPECT_TRUE(states.at(c.insert)) << c.row; // the sound dialog also needs a clip to offer
        }
    }
    w.click(w.at(kExpressionRow, 15));
    auto states = enabled(kExpressionRow);
    EXPECT_FALSE(states.at(32831));
    EXPECT_TRUE(states.at(32869));
    EXPECT_FALSE(enabled(kEventRow).at(32867));
    EXPECT_EQ(w.window->buildRowMenu(kWaveformRow, w.window.get()), nullptr);
    // The removal commands act at once.
    w.window->runCommand(32858);
    EXPECT_EQ(w.timeline.expressions().count(), 0);
    EXPECT_EQ(w.window->undoStack().undoName(), "Remove all");
}
