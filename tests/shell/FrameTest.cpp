// The frame as a whole on an X server: start-up from the command line, the bars and panes of each
// editor, the settings it reads and writes, and the end of the window.
#include "Common/ResourceIds.h"
#include "ShellTestSupport.h"
#include "face/CHeadModel.h"
#include "session/ProjectSession.h"
#include "shell/CChattermaskApp.h"
#include "shell/CEditDlg.h"
#include "shell/CListPanel.h"
#include "shell/CommandActions.h"
#include "shell/PaneHost.h"
#include "shell/ResourceUi.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace res;
using testsupport::TempDir;

namespace {

QString copyOf(const char* content, const fs::path& to)
{
    fs::copy_file(testsupport::binDir() / content, to, fs::copy_options::overwrite_existing);
    return QString::fromStdString(to.string());
}

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
}

} // namespace

TEST(StartUp, CommandLineChoosesEditorProcessorPathAndFirstDocument)
{
    shelltest::clearSettings();
    TempDir dir;
    QString project = copyOf("Default/Male.cmx", dir / "talk.cmp");
    QString pack = copyOf("Default/Male.hax", dir / "voice.hap");
    struct Case {
        QStringList arguments;
        int mode, processorPath;
        QString titleEnd;
        int recent;
    };
    const Case cases[] = {
        {{"/HDP"}, 1, 2, "- [Untitled.hdp]", 0},
        {{"-p3", "-p4"}, 0, 2, "- [Untitled.cmp]", 0},
        {{"-gen"}, 0, 0, "- [Untitled.cmp]", 0},
        // "default" with a pack opens it untitled and keeps it off the recent list.
        {{"-hap", "-default", pack}, 2, 2, "- [Untitled.hap]", 0},
        // An absolute path is the file, not an unknown flag.
        {{project}, 0, 2, "talk.cmp]", 1},
    };
    QApplication& app = *qApp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        CChattermaskApp studio(app);
        ASSERT_EQ(studio.start(c.arguments), 0);
        CChattermaskEditorMainFrame* frame = studio.frame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->editorMode(), c.mode);
        EXPECT_EQ(frame->processorPath(), c.processorPath);
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(frame->windowTitle().startsWith(QString::fromStdString(studio.commandLine().applicationTitle())));
        EXPECT_TRUE(frame->windowTitle().endsWith(c.titleEnd)) << frame->windowTitle().toStdString();
        EXPECT_EQ(frame->recentFiles().files().size(), c.recent);
        EXPECT_TRUE(QApplication::topLevelWidgets().size() >= 1);
        for (QWidget* top : QApplication::topLevelWidgets())
            EXPECT_FALSE(top->objectName() == "SplashWindow" && top->isVisible()) << "the splash is still up";
        frame->session().setModified(false);
        studio.exitInstance();
        ASSERT_TRUE(ResourceUi::load(QString::fromStdString(testsupport::binDir().string())));
        shelltest::clearSettings();
    }
}

TEST(StartUp, TempDeletesTheFileWhenTheWindowGoesAfterTheQuestion)
{
    shelltest::clearSettings();
    TempDir dir;
    QString project = copyOf("Default/Male.cmx", dir / "scratch.cmp");
    shelltest::FrameFixture fixture(0, project, false, true);
    ASSERT_TRUE(fixture.frame->loadFirstDocument());
    fixture.frame->show();
    fixture.frame->session().setModified(true);
    fixture.dialogs->saveChanges = {SessionPrompts::Answer::cancel, SessionPrompts::Answer::no};
    EXPECT_FALSE(fixture.frame->close()); // Cancel keeps the window and the file
    EXPECT_TRUE(fs::exists(dir / "scratch.cmp"));
    EXPECT_TRUE(fixture.frame->close());
    EXPECT_EQ(fixture.dialogs->saveChangesAsked, 2);
    EXPECT_TRUE(fs::exists(dir / "scratch.cmp")); // closed, not yet destroyed
    fixture.frame.reset();
    EXPECT_FALSE(fs::exists(dir / "scratch.cmp"));
}

TEST(Frame, BarsPanesAndPagesOfEachEditor)
{
    shelltest::clearSettings();
    struct Case {
        int mode;
        int editTabs, listTabs;
        bool hasTimeline;
    };
    const Case cases[] = {{0, 2, 5, true}, {1, 1, 1, false}, {2, 1, 4, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        shelltest::FrameFixture fixture(c.mode);
        CChattermaskEditorMainFrame& frame = *fixture.frame;
        ASSERT_TRUE(frame.loadFirstDocument());
        frame.resize(1280, 800);
        frame.show();
        settle();
        EXPECT_EQ(frame.editPanel()->findChild<QTabWidget*>("1003")->count(), c.editTabs);
        EXPECT_EQ(frame.listPanel()->tabs()->count(), c.listTabs);
        EXPECT_EQ(frame.editPanel()->hasPage(CEditDlg::kTimelinePage), c.hasTimeline);
        EXPECT_EQ(frame.dockWidgetArea(frame.projectDock()), Qt::LeftDockWidgetArea);
        EXPECT_EQ(frame.dockWidgetArea(frame.listDock()), Qt::LeftDockWidgetArea);
        EXPECT_LT(frame.projectDock()->geometry().top(), frame.listDock()->geometry().top());
        EXPECT_NEAR(frame.projectDock()->width(), 250, 8);
        EXPECT_NEAR(frame.previewHost()->height(), 250, 12);
        EXPECT_EQ(frame.projectDock()->windowTitle(), "Project Window");
        EXPECT_EQ(frame.listDock()->windowTitle(), "List Window");

        // Each bar's command hides and shows it, with a check mark while it is visible.
        for (unsigned command : {kCmdViewToolbar, kCmdViewProjectWindow, kCmdViewListWindow}) {
            QAction* action = frame.actions().action(command);
            frame.updateCommandUi();
            EXPECT_TRUE(action->isChecked()) << command;
            frame.runCommand(command);
            EXPECT_FALSE(action->isChecked()) << command;
            frame.runCommand(command);
            EXPECT_TRUE(action->isChecked()) << command;
        }
        // Exit closes the window as the close box does.
        frame.runCommand(kCmdExit);
        EXPECT_FALSE(frame.isVisible());
    }
}

TEST(Frame, TitleShowsTheNameCutTo200Pixels)
{
    shelltest::clearSettings();
    TempDir dir;
    fs::path deep = dir.path();
    for (int i = 0; i < 8; ++i)
        deep /= "a-rather-long-folder-name";
    fs::create_directories(deep);
    QString project = copyOf("Default/Male.cmx", deep / "talk.cmp");
    shelltest::FrameFixture fixture(0, project, false);
    ASSERT_TRUE(fixture.frame->loadFirstDocument());
    QString title = fixture.frame->windowTitle();
    EXPECT_TRUE(title.startsWith("Chattermask Studio (CMP Editor) - ["));
    EXPECT_TRUE(title.contains(QChar(0x2026))) << title.toStdString();
    QString shown = title.section(" - [", 1).chopped(1);
    EXPECT_LE(fixture.frame->fontMetrics().horizontalAdvance(shown), 200);
}

TEST(Frame, PaneSizesAreKeptOnlyWhenAskedAndMaximisedKeepsThePlacement)
{
    for (int keep : {0, 1}) {
        SCOPED_TRACE(keep);
        shelltest::clearSettings();
        const QString title = "Chattermask Studio (CMP Editor)";
        QSettings("Quillmere", title).setValue("Options/KeepDockWindowSize", keep);
        // A stored size the frame must read only when KeepDockWindowSize is 1.
        QSettings("Quillmere", title).setValue("Options-SCBar-59421/sizeVertCX", 330);
        QSettings("Quillmere", title).setValue("Options-SCBar-59421/sizeVertCY", 280);
        {
            shelltest::FrameFixture fixture(0);
            ASSERT_TRUE(fixture.frame->loadFirstDocument());
            fixture.frame->setGeometry(50, 60, 1200, 780);
            fixture.frame->show();
            settle();
            if (keep)
                EXPECT_NEAR(fixture.frame->projectDock()->width(), 330, 8);
            else
                EXPECT_NEAR(fixture.frame->projectDock()->width(), 250, 8);
            QSettings("Quillmere", title).remove("Options-SCBar-59421");
            fixture.frame->close();
        }
        QSettings after("Quillmere", title);
        EXPECT_EQ(after.contains("Options-SCBar-59421/sizeVertCX"), keep == 1);
        EXPECT_EQ(after.contains("Options-SCBar-59422/sizeVertCY"), keep == 1);
        EXPECT_EQ(after.value("Settings/Main Frame ShowCmd").toInt(), 1);
        int width = after.value("Settings/Main Frame Position.Width").toInt();
        EXPECT_GT(width, 0);

        shelltest::FrameFixture maximised(0);
        ASSERT_TRUE(maximised.frame->loadFirstDocument());
        maximised.frame->showMaximized();
        settle();
        maximised.frame->close();
        QSettings last("Quillmere", title);
        EXPECT_EQ(last.value("Settings/Main Frame ShowCmd").toInt(), 3);
        EXPECT_EQ(last.value("Settings/Main Frame Position.Width").toInt(), width);
    }
}

TEST(Frame, RecentFilesKeepFourAndRefuseWhileTheHeadIsBusy)
{
    shelltest::clearSettings();
    TempDir dir;
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    QStringList files;
    for (int i = 0; i < 5; ++i)
        files << copyOf("Default/Male.cmx", dir.path() / QStringLiteral("p%1.cmp").arg(i).toStdString());
    for (const QString& file : files)
        frame.addRecentFile(file);
    ASSERT_EQ(frame.recentFiles().files().size(), 4);
    EXPECT_EQ(frame.recentFiles().at(0), files[4]);
    EXPECT_EQ(QSettings("Quillmere", "Chattermask Studio (CMP Editor)").value("Recent File List/File1").toString(), files[4]);

    frame.session().headModel()->setBusy(1);
    frame.runCommand(kCmdRecentFirst + 1);
    ASSERT_EQ(fixture.dialogs->messages.size(), 1);
    EXPECT_EQ(fixture.dialogs->messages[0], ResourceUi::text(0xE82A));
    EXPECT_FALSE(frame.isCommandEnabled(kCmdNew));
    EXPECT_FALSE(frame.isCommandEnabled(kCmdSave));
    frame.session().headModel()->setBusy(0);

    frame.runCommand(kCmdRecentFirst + 1);
    EXPECT_TRUE(frame.windowTitle().endsWith("p3.cmp]")) << frame.windowTitle().toStdString();
    // An entry whose file is gone is dropped when it fails to open.
    fs::remove(dir / "p2.cmp");
    int before = static_cast<int>(fixture.dialogs->messages.size());
    frame.runCommand(kCmdRecentFirst + 2);
    EXPECT_GT(fixture.dialogs->messages.size(), before);
    EXPECT_FALSE(frame.recentFiles().files().contains(files[2]));
    frame.session().setModified(false);
}
