#include "Common/ResourceIds.h"
#include "ShellTestSupport.h"
#include "shell/AboutDialog.h"
#include "shell/CommandActions.h"
#include "shell/OptionsDialog.h"
#include "shell/ResourceUi.h"
#include "shell/SummaryDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace res;

TEST(Resources, EveryMenuCommandAndButtonHasItsTextsPictureAndKeys)
{
    const unsigned kToolbars[] = {kToolbarProject, kToolbarHeadDefinition, kToolbarHeadAnimation,
                                  kToolbarMenuIcons, kToolbarEditView, kToolbarEditPanel};
    const unsigned kBitmaps[] = {kToolbarProject, kToolbarHeadDefinition, kToolbarHeadAnimation,
                                 kToolbarMenuIcons, kBitmapEditView, kBitmapEditPanel};
    const unsigned kHot[] = {kBitmapHotProject, kBitmapHotHeadDefinition, kBitmapHotHeadAnimation};
    for (int t = 0; t < 6; ++t) {
        std::span<const unsigned> buttons = ResourceUi::library().toolbar(kToolbars[t]);
        size_t images = std::count_if(buttons.begin(), buttons.end(), [](unsigned c) { return c != 0; });
        ASSERT_GT(images, 0u);
        EXPECT_EQ(ResourceUi::stripImages(kBitmaps[t]).size(), images) << kToolbars[t];
        if (t < 3) {
            EXPECT_EQ(ResourceUi::stripImages(kHot[t]).size(), images);
        }
        for (unsigned command : buttons) {
            if (command) {
                EXPECT_FALSE(ResourceUi::tooltip(command).isEmpty()) << command;
            }
        }
        QPixmap first = ResourceUi::stripImages(kBitmaps[t]).front();
        EXPECT_EQ(first.size(), QSize(16, 15));
    }
    for (unsigned menu : {kMenuProject, kMenuHeadDefinition, kMenuHeadAnimation}) {
        std::set<unsigned> commands;
        for (const CmrtMenuItem& item : ResourceUi::library().menu(menu)) {
            if (item.command && !(item.flags & kCmrtMenuRecentFiles)) {
                EXPECT_FALSE(ResourceUi::prompt(item.command).isEmpty()) << item.command;
                EXPECT_TRUE(commands.insert(item.command).second) << "listed twice: " << item.command;
            }
        }
        for (unsigned needed : {kCmdNew, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdExit, kCmdOptions, kCmdAbout, kCmdSummary})
            EXPECT_TRUE(commands.count(needed)) << menu << " lacks " << needed;
    }
    std::set<std::pair<std::string, unsigned>> keys;
    for (const CmrtAccelerator& accelerator : ResourceUi::library().accelerators(kAccelerators))
        keys.insert({accelerator.key, accelerator.command});
    for (auto expected : std::initializer_list<std::pair<std::string, unsigned>>{
             {"Ctrl+N", kCmdNew}, {"Ctrl+O", kCmdOpen}, {"Ctrl+S", kCmdSave}, {"Ctrl+Shift+S", kCmdSaveAs},
             {"Ctrl+Q", kCmdExit}})
        EXPECT_TRUE(keys.count(expected)) << expected.first;
    EXPECT_FALSE(ResourceUi::bitmap(kBitmapSplash).isNull());
    EXPECT_EQ(ResourceUi::bitmap(kBitmapSplash).size(), QSize(400, 300));
}

TEST(Resources, MenusBecomeQtMenusWithShortcuts)
{
    QWidget owner;
    CommandActions actions(&owner, kToolbarProject, kBitmapHotProject);
    QMenuBar bar;
    actions.buildMenuBar(&bar, kMenuProject);
    actions.applyAccelerators(kAccelerators);
    QStringList top;
    for (QAction* menu : bar.actions())
        top << menu->text();
    EXPECT_EQ(top, (QStringList{"&File", "&Edit", "&View", "&Play", "&Help"}));
    EXPECT_EQ(actions.action(kCmdSaveAs)->shortcut(), QKeySequence("Ctrl+Shift+S"));
    EXPECT_EQ(actions.action(kCmdExit)->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(actions.action(kCmdSave)->text(), "&Save");
    EXPECT_FALSE(actions.action(kCmdSave)->icon().isNull());
    for (unsigned i = 0; i < kRecentFileCount; ++i)
        EXPECT_TRUE(actions.has(kCmdRecentFirst + i));
}

TEST(Resources, FileFiltersAndAboutLayout)
{
    struct Case {
        unsigned id;
        QString filter;
    };
    const Case cases[] = {
        {kStrFilterPicture, "JPEG Pictures (*.jpg *.jpeg);;All Files (*)"},
        {kStrFilterProject, "Chattermask Projects (*.cmp);;All Files (*)"},
        {kStrFilterWave, "Wave Sounds (*.wav);;All Files (*)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResourceUi::fileFilter(c.id), c.filter);
    QStringList lines = AboutDialog::mainText().split('\n');
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], ResourceUi::text(10000) + " (" + ResourceUi::text(10001) + ")");
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_TRUE(lines[7].isEmpty());
    EXPECT_EQ(AboutDialog::rightsText(),
              ResourceUi::text(10003) + "\n" + ResourceUi::text(25024) + "\n" + ResourceUi::text(59549));
}

TEST(Dialogs, OptionsDisableTheTimelineInTheHeadDefinitionEditor)
{
    FrameOptions start;
    start.useMinuteUnit = 1;
    for (bool timeline : {true, false}) {
        OptionsDialog dialog(start, timeline);
        for (const char* control : {"1173", "1025", "1174", "1175", "1026", "1027"}) {
            QWidget* widget = dialog.findChild<QWidget*>(control);
            ASSERT_NE(widget, nullptr) << control;
            EXPECT_EQ(widget->isEnabled(), timeline) << control;
        }
        EXPECT_TRUE(dialog.findChild<QWidget*>("1171")->isEnabled());
        dialog.findChild<QCheckBox*>("1171")->setChecked(true);
        FrameOptions result = dialog.options();
        EXPECT_EQ(result.toolBarFloating, 1);
        EXPECT_EQ(result.useMinuteUnit, 1);
        EXPECT_EQ(result.indicatorColor, start.indicatorColor);
        EXPECT_EQ(colorFromBgr(0xFF3232), QColor(0x32, 0x32, 0xFF));
        EXPECT_EQ(bgrFromColor(QColor(0x32, 0x32, 0xFF)), 0xFF3232u);
    }
}

TEST(Dialogs, SummaryKeepsItsFieldsWithinTheirSizes)
{
    SummaryInfo start;
    start.category = 2;
    std::strcpy(start.text1, "Greeting");
    SummaryDialog dialog(start);
    SummaryInfo same = dialog.summary();
    EXPECT_EQ(same.category, 2);
    EXPECT_STREQ(same.text1, "Greeting");

    dialog.findChild<QComboBox*>("category")->setEditText("My own kind of clip");
    dialog.findChild<QLineEdit*>("text1")->setText(QString(80, 'a'));
    SummaryInfo edited = dialog.summary();
    EXPECT_EQ(edited.category, 0);
    EXPECT_STREQ(edited.categoryText, "My own kind of clip");
    EXPECT_EQ(std::strlen(edited.text1), sizeof edited.text1 - 1);
}

TEST(StartUp, MissingResourceLibraryEndsTheProgramWithItsMessage)
{
    testsupport::TempDir dir;
    std::filesystem::copy_file(testsupport::binDir() / "chattermask", dir / "chattermask");
    std::filesystem::permissions(dir / "chattermask", std::filesystem::perms::owner_all);
    auto result = testsupport::runCommand("QT_QPA_PLATFORM=offscreen " + (dir / "chattermask").string());
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("The file [libcmrt.so] is missing.\nPlease reinstall Chattermask."), std::string::npos)
        << result.err;
}
