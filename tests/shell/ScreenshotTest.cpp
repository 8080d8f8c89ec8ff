// Pictures of each editor and of the dialogs as the user sees them, written into the build folder
// for people to look at.
#include "ShellTestSupport.h"
#include "documents/DocumentProperties.h"
#include "shell/AboutDialog.h"
#include "shell/CEditDlg.h"
#include "shell/CListPanel.h"
#include "shell/NewDialog.h"
#include "shell/OptionsDialog.h"
#include "shell/SummaryDialog.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString shotFolder()
{
    QString folder = QString::fromStdString((testsupport::binDir().parent_path() / "screenshots").string());
    QDir().mkpath(folder);
    return folder;
}

void settle(QWidget* widget)
{
    widget->show();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

void saveShot(QWidget* widget, const QString& name)
{
    settle(widget);
    QPixmap picture = widget->grab();
    ASSERT_FALSE(picture.isNull());
    ASSERT_TRUE(picture.save(QDir(shotFolder()).filePath(name)));
}

} // namespace

TEST(Screenshots, EachEditorOnTheDefaultContent)
{
    shelltest::clearSettings();
    const char* const kNames[] = {"editor-cmp.png", "editor-hdp.png", "editor-hap.png"};
    for (int mode = 0; mode < 3; ++mode) {
        shelltest::FrameFixture fixture(mode);
        ASSERT_TRUE(fixture.frame->loadFirstDocument());
        fixture.frame->resize(1280, 800);
        saveShot(fixture.frame.get(), kNames[mode]);
        if (mode == 0) {
            // The other pages of the project editor: the timeline and the teeth list.
            fixture.frame->editPanel()->showPage(CEditDlg::kTimelinePage);
            fixture.frame->listPanel()->tabs()->setCurrentIndex(CListPanel::kTeeth);
            saveShot(fixture.frame.get(), "editor-cmp-timeline-teeth.png");
        }
        fixture.frame->close();
    }
}

TEST(Screenshots, Dialogs)
{
    NewDialog newDialog;
    saveShot(&newDialog, "dialog-new.png");
    OptionsDialog options(FrameOptions{}, true, nullptr);
    saveShot(&options, "dialog-options.png");
    OptionsDialog headOptions(FrameOptions{}, false, nullptr);
    saveShot(&headOptions, "dialog-options-hdp.png");
    SummaryInfo info;
    info.category = 3;
    std::snprintf(info.text1, sizeof info.text1, "Morning news");
    std::snprintf(info.text3, sizeof info.text3, "Presenter");
    SummaryDialog summary(info);
    saveShot(&summary, "dialog-summary.png");
    AboutDialog about;
    saveShot(&about, "dialog-about.png");
}
