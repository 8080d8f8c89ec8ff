#include "ShellTestSupport.h"
#include "shell/FrameSettings.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

const QString kProject = "Chattermask Studio (CMP Editor)";
const QString kAnimation = "Chattermask Studio (HAP Editor)";

} // namespace

TEST(Settings, MaximisedWindowStoresShowCommandThreeAndKeepsTheNormalPlacement)
{
    shelltest::clearSettings();
    FrameSettings settings(kProject);
    EXPECT_EQ(settings.showCommand(1), 1);
    EXPECT_FALSE(settings.normalPlacement().has_value());
    settings.writePlacement(FrameSettings::kShowNormal, QRect(10, 20, 800, 600));
    settings.writePlacement(FrameSettings::kShowMaximized, QRect(0, 0, 1280, 1024));
    EXPECT_EQ(settings.showCommand(1), 3);
    EXPECT_EQ(settings.normalPlacement().value_or(QRect()), QRect(10, 20, 800, 600));
    EXPECT_EQ(QSettings("Quillmere", kProject).value("Settings/Main Frame Position.Width").toInt(), 800);
}

TEST(Settings, EachEditorKeepsItsOwnSet)
{
    shelltest::clearSettings();
    FrameSettings project(kProject);
    FrameOptions mine;
    mine.useMinuteUnit = 1;
    mine.amplitudeColor = 0x00112233;
    project.writeOptions(mine);
    project.writeRecentFiles({"/tmp/a.cmp"});

    FrameSettings animation(kAnimation);
    FrameOptions other;
    other.keepDockWindowSize = 1;
    animation.writeOptions(other);
    animation.writeRecentFiles({"/tmp/b.hap", "/tmp/c.hap"});
    animation.writePlacement(FrameSettings::kShowMaximized, QRect());

    EXPECT_EQ(project.readOptions(), mine);
    EXPECT_EQ(project.recentFiles(), QStringList{"/tmp/a.cmp"});
    EXPECT_EQ(project.showCommand(1), 1);
    EXPECT_EQ(animation.readOptions(), other);
    EXPECT_NE(project.fileName(), animation.fileName());
}

TEST(Settings, DefaultsNamesAndPaneSizeMinimum)
{
    shelltest::clearSettings();
    FrameSettings settings(kProject);
    FrameOptions options = settings.readOptions();
    EXPECT_EQ(options.toolBarFloating, 0);
    EXPECT_EQ(options.keepDockWindowSize, 0);
    EXPECT_EQ(options.useMinuteUnit, 0);
    EXPECT_EQ(options.indicatorColor, 0xFF3232u);
    EXPECT_EQ(options.amplitudeColor, 0x9CB9CBu);

    settings.writePaneSize(FrameSettings::kProjectPaneId, QSize(300, 260), QSize(300, 260));
    QSettings raw("Quillmere", kProject);
    for (const char* value : {"sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX", "sizeFloatCY"})
        EXPECT_TRUE(raw.contains(QStringLiteral("Options-SCBar-%1/%2").arg(FrameSettings::kProjectPaneId).arg(value)))
            << value;
    EXPECT_EQ(settings.paneSize(FrameSettings::kProjectPaneId, QSize(100, 80)).value_or(QSize()), QSize(300, 260));
    // A stored size below the pane's minimum is not used.
    settings.writePaneSize(FrameSettings::kListPaneId, QSize(40, 500), QSize(40, 500));
    EXPECT_FALSE(settings.paneSize(FrameSettings::kListPaneId, QSize(100, 80)).has_value());
}
