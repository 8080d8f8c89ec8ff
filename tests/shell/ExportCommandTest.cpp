// The export command of the project editor: dialog 176 with its defaults and its refusal of a video
// without a profile, and whole runs through scripted answers, a cancel from the progress dialog and the
// failure messages included.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "export/StockProfiles.h"
#include "session/ProjectSession.h"
#include "shell/ExportDialog.h"
#include "shell/MediaExportCommand.h"
#include "shell/ResourceUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(ExportDialog, OffersTheNineProfilesForTheVideoOnlyAndWantsOneOfThem)
{
    ScriptedDialogs dialogs;
    ExportDialog dialog(dialogs, ExportOptions{});
    auto* video = dialog.findChild<QRadioButton*>("1054");
    auto* stream = dialog.findChild<QRadioButton*>("1055");
    auto* profiles = dialog.findChild<QListWidget*>("1053");
    auto* page = dialog.findChild<QCheckBox*>("1100");
    ASSERT_TRUE(video && stream && profiles && page);
    ASSERT_EQ(profiles->count(), kStockProfileCount);
    for (int i = 0; i < kStockProfileCount; ++i)
        EXPECT_EQ(profiles->item(i)->text().toStdString(), stockProfiles()[std::size_t(i)].name);
    // Defaults: the animation stream, the first profile, no page.
    EXPECT_TRUE(stream->isChecked());
    EXPECT_FALSE(profiles->isEnabled());
    EXPECT_EQ(profiles->currentRow(), 0);
    EXPECT_FALSE(page->isChecked());
    EXPECT_EQ(dialog.options().kind, ExportKind::stream);

    // Pictures of both states beside the build's programs, to look at.
    dialog.show();
    const fs::path folder = fs::canonical(testsupport::binDir()).parent_path();
    EXPECT_TRUE(dialog.grab().save(QString::fromStdString((folder / "export-dialog.png").string())));
    video->setChecked(true);
    EXPECT_TRUE(profiles->isEnabled());
    EXPECT_TRUE(dialog.grab().save(QString::fromStdString((folder / "export-dialog-video.png").string())));
    profiles->clearSelection();
    dialog.findChild<QPushButton*>("ok")->click();
    EXPECT_EQ(dialogs.messages, QStringList{ResourceUi::text(136)});
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open for a profile";
    EXPECT_EQ(dialog.result(), 0);

    profiles->setCurrentRow(7);
    page->setChecked(true);
    dialog.findChild<QPushButton*>("ok")->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    const ExportOptions chosen = dialog.options();
    EXPECT_EQ(chosen.kind, ExportKind::video);
    EXPECT_EQ(chosen.profile, 7);
    EXPECT_TRUE(chosen.writePage);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

namespace {

// Cancels the export's progress dialog as soon as the export first lets events through.
void cancelProgressSoon()
{
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(widget);
                progress && progress->objectName() == "ExportProgress")
                progress->cancel();
    });
}

} // namespace

TEST(MediaExportCommand, WritesTheChosenFileOrSaysWhyNot)
{
    testsupport::TempDir dir;
    ScriptedDialogs dialogs;
    ProjectSession session(EditorMode::project, dialogs, testsupport::binDir());
    CoreStatus status;
    ASSERT_TRUE(session.openDocument(testsupport::binDir() / "Default" / "Male.cmx", false, status));
    std::optional<ExportOptions> answer;
    int asked = 0;
    MediaExportCommand command(nullptr, session, dialogs, [&](ExportOptions& options) {
        ++asked;
        EXPECT_EQ(options.kind, ExportKind::stream) << "every run starts from the defaults";
        if (answer)
            options = *answer;
        return answer.has_value();
    });
    const QString failed = ResourceUi::text(59438);

    // Cancel in the options: no save dialog.
    EXPECT_FALSE(command.run());
    EXPECT_EQ(dialogs.saveFileAsked, 0);

    // The animation stream with its page.
    answer = ExportOptions{ExportKind::stream, 0, true};
    dialogs.saveFiles = {QString::fromStdString((dir / "talk.cmf").string())};
    EXPECT_TRUE(command.run());
    EXPECT_TRUE(fs::is_regular_file(dir / "talk.cmf"));
    EXPECT_TRUE(fs::is_regular_file(dir / "talk.html"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    EXPECT_FALSE(session.isBusy());

    // Cancelled from the progress dialog: the general failure, and no file.
    answer = ExportOptions{ExportKind::video, 1, true};
    dialogs.saveFiles = {QString::fromStdString((dir / "cancelled.wmv").string())};
    cancelProgressSoon();
    EXPECT_FALSE(command.run());
    EXPECT_FALSE(fs::exists(dir / "cancelled.wmv"));
    EXPECT_FALSE(fs::exists(dir / "cancelled.html"));
    EXPECT_EQ(dialogs.messages, QStringList{failed});

    // A setting the profile cannot take shows 59550 before the general failure; a profile without an
    // audio encoder only the general failure.
    struct Case {
        int profile;
        QStringList messages;
    };
    const Case cases[] = {{9, {ResourceUi::text(59550), failed}}, {0, {failed}}};
    for (const Case& c : cases) {
        dialogs.messages.clear();
        answer = ExportOptions{ExportKind::video, c.profile, false};
        dialogs.saveFiles = {QString::fromStdString((dir / "refused.wmv").string())};
        EXPECT_FALSE(command.run());
        EXPECT_EQ(dialogs.messages, c.messages) << c.profile;
        EXPECT_FALSE(fs::exists(dir / "refused.wmv"));
    }
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(dialogs.saveFileAsked, 4);
}
