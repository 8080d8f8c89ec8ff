// The windows of the other parts of the program inside the frame: which editor hosts which, their
// commands through the frame, and their edits reaching the document.
#include "Common/ResourceIds.h"
#include "ShellTestSupport.h"
#include "animation/ui/CPreviewPanel.h"
#include "documents/HeadPacks.h"
#include "documents/ProjectStore.h"
#include "rendering/ui/CMorphWnd.h"
#include "session/ProjectSession.h"
#include "shell/CEditDlg.h"
#include "shell/CListPanel.h"
#include "shell/CommandActions.h"
#include "shell/HostedWindows.h"
#include "shell/PaneHost.h"
#include "timeline/ui/CLibraryListWnd.h"
#include "timeline/ui/CTrackPanel.h"
#include "timeline/ui/CTrackRegionWnd.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace res;
using testsupport::TempDir;

namespace {

void settle(int ms = 60)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

template <typename Window> bool hosts(PaneHost* host)
{
    return host && qobject_cast<Window*>(host->hosted()) != nullptr;
}

} // namespace

TEST(HostedWindows, EachEditorHostsTheWindowsOfItsPages)
{
    shelltest::clearSettings();
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        shelltest::FrameFixture fixture(mode);
        CChattermaskEditorMainFrame& frame = *fixture.frame;
        ASSERT_TRUE(frame.loadFirstDocument());
        frame.show();
        settle();
        EXPECT_EQ(hosts<CMorphWnd>(frame.editPanel()->headHost()), mode != 2);
        EXPECT_EQ(hosts<CTrackPanel>(frame.editPanel()->timelineHost()), mode != 1);
        EXPECT_TRUE(hosts<CPreviewPanel>(frame.previewHost()));
        for (int page = CListPanel::kVisemes; page < CListPanel::kTeeth; ++page)
            EXPECT_EQ(hosts<CLibraryListWnd>(frame.listPanel()->listHost(page)), mode != 1) << page;

        // The view's commands answer through the frame, with their check marks on the bars.
        bool view = mode != 2;
        EXPECT_EQ(frame.isCommandEnabled(kCmdDrawWireframe), view);
        frame.runCommand(kCmdDrawWireframe);
        frame.updateCommandUi();
        EXPECT_EQ(frame.actions().action(kCmdDrawWireframe)->isChecked(), view);
        EXPECT_FALSE(frame.actions().action(kCmdDrawTextured)->isChecked());
        frame.runCommand(kCmdDrawTextured);
        frame.updateCommandUi();
        EXPECT_EQ(frame.actions().action(kCmdDrawTextured)->isChecked(), view);
        EXPECT_EQ(frame.actions().action(kCmdFitToLines)->isVisible(), mode == 1);
        EXPECT_TRUE(frame.isCommandEnabled(kCmdDemoMouth));
        if (mode == 0) {
            EXPECT_TRUE(frame.isCommandEnabled(kCmdPlay));
        }
    }
}

TEST(HostedWindows, WindowEditsMarkTheDocumentAndANewDocumentStartsThemOver)
{
    shelltest::clearSettings();
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    frame.resize(1280, 800);
    frame.show();
    frame.editPanel()->showPage(CEditDlg::kTimelinePage);
    settle();
    ProjectSession& session = frame.session();
    ASSERT_FALSE(session.isModified());
    CTrackRegionWnd* region = frame.hostedWindows().trackRegion();
    ASSERT_NE(region, nullptr);

    // An expression dropped from its list onto the selection is an edit of the document.
    session.timeline().setSelection(0, session.timeline().sampleCount() / 2);
    region->update();
    settle();
    const int rowY = region->view().row(kExpressionRow).top + 4;
    QPoint onTrack;
    for (int x = 5; x < region->width() && onTrack.isNull(); x += 5)
        if (region->dropEntry(LibraryKind::expressions, 3, QPoint(x, rowY), true))
            onTrack = QPoint(x, rowY);
    ASSERT_FALSE(onTrack.isNull());
    ASSERT_TRUE(region->dropEntry(LibraryKind::expressions, 3, onTrack, false));
    settle();
    EXPECT_TRUE(region->undoStack().canUndo());
    EXPECT_TRUE(session.isModified());
    EXPECT_TRUE(frame.windowTitle().endsWith(" *"));

    // The preview's voice clock moves the track window's playback cursor.
    emit frame.hostedWindows().preview()->playbackCursorMoved(1000);

    // A new document: the track window has no undo history left of the old one.
    fixture.dialogs->saveChanges.push_back(SessionPrompts::Answer::no);
    fixture.dialogs->newHeads.push_back(true);
    frame.runCommand(kCmdNew);
    settle();
    EXPECT_FALSE(session.isModified());
    EXPECT_FALSE(region->undoStack().canUndo());
    EXPECT_FALSE(region->isModified());
}

TEST(HostedWindows, TheProjectEditorWritesEitherPackAsACopy)
{
    shelltest::clearSettings();
    TempDir dir;
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    ProjectSession& session = frame.session();
    session.setModified(true);
    const std::string projectPath = session.documentPath();
    const bool untitled = session.isUntitled();

    for (unsigned command : {kCmdSaveAsHeadDefinition, kCmdSaveAsHeadAnimation}) {
        SCOPED_TRACE(command);
        bool definition = command == kCmdSaveAsHeadDefinition;
        std::string pack = (dir / (definition ? "copy.hdp" : "copy.hap")).string();
        EXPECT_TRUE(frame.isCommandEnabled(command));
        fixture.dialogs->saveFiles.push_back(QString::fromStdString(pack));
        frame.runCommand(command);
        ASSERT_TRUE(std::filesystem::exists(pack));
        EXPECT_TRUE(fixture.dialogs->messages.isEmpty())
            << fixture.dialogs->messages.join("\n").toStdString();
        // The project is still the open document, as changed as it was.
        EXPECT_EQ(session.documentPath(), projectPath);
        EXPECT_EQ(session.isUntitled(), untitled);
        EXPECT_TRUE(session.isModified());

        // The copy opens in its own editor.
        shelltest::FrameFixture packEditor(definition ? 1 : 2, QString::fromStdString(pack), false);
        EXPECT_TRUE(packEditor.frame->loadFirstDocument());
        EXPECT_EQ(packEditor.frame->session().documentPath(), pack);
    }
    // A pack editor writes only its own kind.
    shelltest::FrameFixture headDefinition(1);
    ASSERT_TRUE(headDefinition.frame->loadFirstDocument());
    EXPECT_TRUE(headDefinition.frame->isCommandEnabled(kCmdSaveAsHeadDefinition));
    EXPECT_FALSE(headDefinition.frame->isCommandEnabled(kCmdSaveAsHeadAnimation));
}
