#include "WidgetTestSupport.h"

#include "TestSupport.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "documents/TimelineItemFiles.h"
#include "lipsync/PhonemeTables.h"
#include "timeline/ui/CLibraryListWnd.h"
#include "timeline/ui/CTrackPanel.h"
#include "timeline/ui/StoreLibraryActions.h"

#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::string shortName(int viseme)
{
    return visemeShortName(viseme);
}

// The default project as the studio opens it, in a timeline page of a usual size.
struct DefaultProject {
    ProjectStore store;
    TimelineData timeline;
    StoreLibraryActions actions{store, timeline, [](const std::string&) { return std::nullopt; }};
    std::unique_ptr<CTrackPanel> panel;

    DefaultProject()
    {
        DocumentStatus status;
        const auto path = testsupport::binDir() / "Default" / "Male.cmx";
        loaded = loadProject(store, path, kLoadAll, status) &&
                 loadTimelineFromStore(store, timeline, ItemNameTables{shortName, builtInItemNames().expressionName});
        panel = std::make_unique<CTrackPanel>(timeline);
        panel->resize(1045, 330);
        region().setLibrary(&actions);
        region().resetForNewDocument();
        panel->show();
        QCoreApplication::processEvents();
    }
    CTrackRegionWnd& region() { return *panel->trackRegion(); }
    QPoint at(int row, int x) { return {x, region().view().row(row).top + region().view().row(row).height / 2}; }
    QImage shot() { return panel->grab().toImage(); }
    bool loaded = false;
};

} // namespace

// Pictures of the timeline a user sees, for looking at; the checks only make sure the pictures
// show what they are meant to.
TEST(TimelineScreenshots, DefaultProjectAtSeveralZoomsWithSelectionAndDrags)
{
    DefaultProject project;
    ASSERT_TRUE(project.loaded);
    ASSERT_GT(project.timeline.sampleCount(), 16000);
    CTrackRegionWnd& region = project.region();
    EXPECT_TRUE(region.view().fitted());
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-fit"));

    // Something on every track, so that each row's drawing shows.
    TrackInteraction& editor = region.editor();
    project.timeline.setSelection(8000, 30000);
    editor.insertExpression(1, "Joy", 70);
    project.timeline.setSelection(12000, 12000);
    editor.insertMarker("Intro");
    project.timeline.setSelection(20000, 20000);
    editor.insertScript(2, "TEXT", "Hello there");
    if (project.actions.count(LibraryKind::backgrounds) > 0) {
        project.timeline.setSelection(4000, 4000);
        editor.insertImageEvent(project.actions.name(LibraryKind::backgrounds, 0));
    }
    project.timeline.setSelection(16000, 40000);
    editor.insertSound("Chime", 6000, 80);
    editor.clearActive();
    project.timeline.setSelection(0, 0);
    region.redrawAllRows();
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-fit-all-rows"));

    // One second across the window.
    region.zoom(16);
    region.view().scrollTo(400);
    region.redrawAllRows();
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-one-second"));

    // A viseme clicked: it is active and the selection is its span.
    const int x = 500;
    QTest::mouseClick(&region, Qt::LeftButton, Qt::NoModifier, project.at(kVisemeRow, x));
    EXPECT_EQ(region.editor().active().row, kVisemeRow);
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-viseme-selected"));

    // Halfway through moving the expression's right edge.
    region.zoom(50);
    region.view().scrollTo(0);
    region.redrawAllRows();
    const int edge = region.view().xOf(30000);
    QTest::mousePress(&region, Qt::LeftButton, Qt::NoModifier, project.at(kExpressionRow, edge));
    QTest::mouseMove(&region, project.at(kExpressionRow, edge + 40));
    QTest::mouseMove(&region, project.at(kExpressionRow, edge + 80));
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-resizing-expression"));
    QTest::mouseRelease(&region, Qt::LeftButton, Qt::NoModifier, project.at(kExpressionRow, edge + 80));
    EXPECT_EQ(project.timeline.expressions().item(0)->end, 30000u + 80 * 50);

    // An expression dragged from its list over a selection, then a picture over the event row.
    const int expressionsBefore = project.timeline.expressions().count();
    project.timeline.setSelection(40000, 56000);
    region.editor().clearActive();
    region.redrawAllRows();
    QMimeData mime;
    mime.setData(kLibraryMimeType, "1 6");
    QDragEnterEvent enter(project.at(kExpressionRow, 950), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&region, &enter);
    QDragMoveEvent move(project.at(kExpressionRow, 950), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&region, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-drag-expression"));
    QDropEvent drop(QPointF(project.at(kExpressionRow, 950)), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&region, &drop);
    // Dropped inside a longer expression, it splits that one around itself.
    EXPECT_GE(project.timeline.expressions().count(), expressionsBefore + 1);
    const int dropped = project.timeline.expressions().find(48000);
    ASSERT_GE(dropped, 0);
    EXPECT_EQ(project.timeline.expressions().item(dropped)->expression, 6u);
    EXPECT_EQ(project.timeline.expressions().item(dropped)->start, 40000u);
    EXPECT_TRUE(widgettest::saveShot(project.shot(), "timeline-expression-dropped"));
}

TEST(TimelineScreenshots, TheFourLists)
{
    DefaultProject project;
    ASSERT_TRUE(project.loaded);
    CoreStatus status;
    ASSERT_TRUE(project.actions.addSoundClip(testsupport::binDir() / "Voices" / "Female.wav", status));
    const std::pair<LibraryKind, const char*> lists[] = {{LibraryKind::visemes, "list-visemes"},
                                                         {LibraryKind::expressions, "list-expressions"},
                                                         {LibraryKind::backgrounds, "list-backgrounds"},
                                                         {LibraryKind::soundClips, "list-sound-clips"}};
    for (auto [kind, name] : lists) {
        CLibraryListWnd list(kind, &project.actions);
        list.resize(220, 330);
        list.show();
        QCoreApplication::processEvents();
        EXPECT_GT(list.list()->count(), kind == LibraryKind::soundClips ? -1 : 0) << name;
        EXPECT_TRUE(widgettest::saveShot(list.grab().toImage(), name));
        if (list.list()->count() > 0) {
            EXPECT_TRUE(widgettest::saveShot(list.list()->dragPixmap(0).toImage(), std::string(name) + "-drag"));
        }
    }
}
