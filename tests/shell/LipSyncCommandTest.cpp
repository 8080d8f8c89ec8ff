// The project editor's lip-sync and automatic head turns: the spoken-text dialog scripted as a user
// would fill it, the track window's undo taking a result back, a cancel from the progress dialog, the
// enabling of both commands, and pictures of both dialogs.
#include "Common/ResourceIds.h"
#include "ShellTestSupport.h"
#include "session/ProjectSession.h"
#include "session/SessionMessages.h"
#include "shell/CEditDlg.h"
#include "shell/CommandActions.h"
#include "shell/HostedWindows.h"
#include "shell/LipSyncDialog.h"
#include "shell/LipSyncProgressDialog.h"
#include "shell/ResourceUi.h"
#include "timeline/ui/CTrackRegionWnd.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>

using namespace res;
namespace fs = std::filesystem;

namespace {

void settle(int ms = 60)
{
    QTest::qWait(ms);
}

template <typename Window> Window* findWindow(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(widget); window && window->objectName() == name)
            return window;
    return nullptr;
}

QString shotPath(const QString& name)
{
    const QString folder =
        QString::fromStdString((testsupport::binDir().parent_path() / "screenshots").string());
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

std::vector<VisemeItem> visemesOf(CChattermaskEditorMainFrame& frame)
{
    return frame.session().timeline().visemes().records();
}

bool sameTrack(const std::vector<VisemeItem>& a, const std::vector<VisemeItem>& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const VisemeItem& x, const VisemeItem& y) {
               return std::memcmp(&x, &y, sizeof x) == 0;
           });
}

// Cancels the lip-sync's progress dialog as soon as the analysis first lets events through.
void cancelProgressSoon()
{
    QTimer::singleShot(0, [] {
        if (auto* progress = findWindow<QProgressDialog>("LipSyncProgress"))
            progress->cancel();
    });
}

// The project editor on a voice the test speaks, with its text file beside it.
struct SpokenProject {
    bool cleared = (shelltest::clearSettings(), true);
    testsupport::TempDir dir;
    shelltest::FrameFixture fixture{0};
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    const QString words = QStringLiteral("Bob made a map of the lamp.");

    SpokenProject()
    {
        EXPECT_TRUE(frame.loadFirstDocument());
        frame.show();
        settle();
        const fs::path raw = dir / "talk.raw.wav", voice = dir / "talk.wav";
        EXPECT_EQ(
            testsupport::runCommand("flite -voice slt -t \"" + words.toStdString() + "\" -o " + raw.string())
                .status,
            0)
            << "flite is needed";
        EXPECT_EQ(
            testsupport::runCommand("sox " + raw.string() + " -r 16000 -c 1 -b 16 " + voice.string()).status,
            0);
        testsupport::writeTextFile(dir / "talk.txt", words.toStdString() + "\n");
        fixture.dialogs->confirms = {true}; // keep the default's items with the new voice
        fixture.dialogs->openFiles = {QString::fromStdString(voice.string())};
        frame.runCommand(kCmdImportVoice);
        EXPECT_EQ(frame.session().timeline().sampleCount() > 16000, true);
        EXPECT_TRUE(fixture.dialogs->messages.isEmpty());
    }
};

} // namespace

TEST(LipSyncCommand, TheTypedTextFillsTheTrackAndUndoBringsTheEarlierTrackBack)
{
    SpokenProject p;
    CChattermaskEditorMainFrame& frame = p.frame;
    // A track of the user's own before the analysis: two mouth shapes placed by hand.
    std::vector<VisemeItem> placed(2);
    for (int i = 0; i < 2; ++i) {
        placed[size_t(i)].start = 4000u * unsigned(i);
        placed[size_t(i)].end = placed[size_t(i)].length = 4000u;
        placed[size_t(i)].end += placed[size_t(i)].start;
        placed[size_t(i)].viseme = 10;
        placed[size_t(i)].weight = 60;
    }
    frame.session().timeline().visemes().assign(placed);
    frame.session().timeline().notifyChanged(kVisemesChanged);
    const std::vector<VisemeItem> before = visemesOf(frame);
    ASSERT_TRUE(frame.isCommandEnabled(kCmdLipSync));
    ASSERT_TRUE(frame.isCommandEnabled(kCmdHeadTurns));
    frame.session().setModified(false);

    ScriptedDialogs& dialogs = *p.fixture.dialogs;
    const QString voiceText = QString::fromStdString((p.dir / "talk.txt").string());

    // Cancel in the dialog: nothing runs.
    dialogs.spokenTexts = {QString()};
    frame.runCommand(kCmdLipSync);
    EXPECT_EQ(dialogs.spokenTextAsked, 1);
    EXPECT_EQ(dialogs.offeredText, p.words + "\n") << "prefilled from the text file beside the voice";
    EXPECT_EQ(dialogs.offeredTextFile, voiceText);
    EXPECT_TRUE(sameTrack(visemesOf(frame), before));
    EXPECT_FALSE(frame.session().isModified());

    // Cancel from the progress dialog: the track and the document stay as they were.
    dialogs.spokenTexts = {p.words};
    cancelProgressSoon();
    frame.runCommand(kCmdLipSync);
    EXPECT_TRUE(sameTrack(visemesOf(frame), before));
    EXPECT_FALSE(frame.session().isModified());
    EXPECT_FALSE(frame.isCommandEnabled(kCmdUndo)) << "no step was kept";
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "a cancel says nothing";

    // The typed text: the track is refilled, the timeline shows, the document is modified.
    dialogs.spokenTexts = {p.words};
    frame.runCommand(kCmdLipSync);
    settle();
    const std::vector<VisemeItem> after = visemesOf(frame);
    EXPECT_FALSE(sameTrack(after, before));
    EXPECT_GT(after.size(), 8u);
    EXPECT_EQ(frame.editPanel()->currentPage(), CEditDlg::kTimelinePage);
    EXPECT_TRUE(frame.session().isModified());
    EXPECT_TRUE(frame.anyModified());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();

    // One undo takes the whole analysis back; redo brings it again.
    ASSERT_TRUE(frame.isCommandEnabled(kCmdUndo));
    frame.runCommand(kCmdUndo);
    EXPECT_TRUE(sameTrack(visemesOf(frame), before));
    frame.runCommand(kCmdRedo);
    EXPECT_TRUE(sameTrack(visemesOf(frame), after));

    // The head turns follow the new visemes, as one more step.
    const auto turnsBefore = frame.session().timeline().headTurns().records();
    frame.runCommand(kCmdHeadTurns);
    const auto& turns = frame.session().timeline().headTurns();
    ASSERT_GT(turns.count(), 0);
    EXPECT_EQ(turns.item(turns.count() - 1)->end, after.back().end);
    frame.runCommand(kCmdUndo);
    EXPECT_EQ(frame.session().timeline().headTurns().count(), static_cast<int>(turnsBefore.size()));
    EXPECT_TRUE(sameTrack(visemesOf(frame), after)) << "the head turns' undo leaves the visemes";
    frame.close();
}

// Without text the words can be recognised first; the choice is kept for the next run.
TEST(LipSyncCommand, TheWordsChoiceIsPassedOnAndRemembered)
{
    SpokenProject p;
    CChattermaskEditorMainFrame& frame = p.frame;
    ScriptedDialogs& dialogs = *p.fixture.dialogs;
    dialogs.spokenTexts = {QStringLiteral(" "), QString()};
    dialogs.answerRecogniseWords = true;
    frame.runCommand(kCmdLipSync);
    EXPECT_FALSE(dialogs.offeredRecogniseWords) << "off until chosen";
    EXPECT_GT(visemesOf(frame).size(), 8u);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    frame.runCommand(kCmdLipSync);
    EXPECT_TRUE(dialogs.offeredRecogniseWords);
    frame.close();
}

TEST(LipSyncCommand, IsOnlyOfferedToTheProjectEditorWithAVoice)
{
    shelltest::clearSettings();
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        shelltest::FrameFixture fixture(mode);
        CChattermaskEditorMainFrame& frame = *fixture.frame;
        ASSERT_TRUE(frame.loadFirstDocument());
        const bool project = mode == 0;
        EXPECT_EQ(frame.isCommandEnabled(kCmdLipSync), project);
        EXPECT_EQ(frame.isCommandEnabled(kCmdHeadTurns), project);
        EXPECT_EQ(frame.actions().action(kCmdLipSync)->isVisible(), project);
        if (project) {
            // The camera commands moved to numbers of their own, with their own texts.
            EXPECT_EQ(ResourceUi::tooltip(kCmdResetCamera), "Reset View");
            EXPECT_EQ(ResourceUi::tooltip(kCmdFitCamera), "Fit View");
            EXPECT_EQ(ResourceUi::tooltip(kCmdLipSync), "Lip-sync");
            EXPECT_EQ(ResourceUi::tooltip(kCmdHeadTurns), "Automatic Head Turns");
            EXPECT_EQ(frame.actions().action(kCmdLipSync)->shortcut(), QKeySequence("Ctrl+L"));
            EXPECT_EQ(frame.actions().action(kCmdHeadTurns)->shortcut(), QKeySequence("Ctrl+H"));
            frame.session().timeline().release();
            frame.session().timeline().setSampleCount(0);
            EXPECT_FALSE(frame.isCommandEnabled(kCmdLipSync)) << "no voice";
            EXPECT_FALSE(frame.isCommandEnabled(kCmdHeadTurns)) << "no voice";
        }
    }
}

TEST(LipSyncDialog, LoadsAnotherTextFileOrSaysWhyItCannot)
{
    testsupport::TempDir dir;
    testsupport::writeTextFile(dir / "other.txt", "Seven purple elephants.");
    ScriptedDialogs dialogs;
    LipSyncDialog dialog(dialogs, "First text", "/voices/Take 1.txt");
    auto* text = dialog.findChild<QPlainTextEdit*>("text");
    auto* source = dialog.findChild<QLabel*>("source");
    ASSERT_TRUE(text && source);
    EXPECT_EQ(dialog.text(), "First text");
    EXPECT_EQ(source->text(), ResourceUi::format(kStrLipSyncTextFile, "Take 1.txt"));

    // Pictures of the dialog and of the progress with its time line, to look at.
    dialog.show();
    settle();
    EXPECT_TRUE(dialog.grab().save(shotPath("dialog-lipsync.png")));
    {
        LipSyncProgressDialog progress(nullptr);
        progress.callback()(420, 1000, " 00:00:51 ", " 00:00:37 ");
        progress.dialog()->show();
        settle();
        EXPECT_EQ(progress.dialog()->value(), 420);
        EXPECT_TRUE(progress.dialog()->labelText().contains("00:00:37"));
        EXPECT_TRUE(progress.dialog()->labelText().contains("00:00:51"));
        EXPECT_TRUE(progress.dialog()->grab().save(shotPath("dialog-lipsync-progress.png")));
    }

    struct Case {
        QString picked; // null: the open dialog was cancelled
        QString text;
        bool message;
    } cases[] = {
        {QString(), "First text", false},
        {QString::fromStdString((dir / "absent.txt").string()), "First text", true},
        {QString::fromStdString((dir / "other.txt").string()), "Seven purple elephants.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked.toStdString());
        dialogs.messages.clear();
        dialogs.openFiles = {c.picked};
        dialog.findChild<QPushButton*>("loadText")->click();
        EXPECT_EQ(dialog.text(), c.text);
        EXPECT_EQ(dialogs.messages.size(), c.message ? 1 : 0);
    }
    EXPECT_EQ(source->text(), ResourceUi::format(kStrLipSyncTextFile, "other.txt"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The words are only recognised for a voice without text: the choice is offered while the box is empty
// (white space counts as empty) and keeps its state while it is not.
TEST(LipSyncDialog, OffersTheWordsChoiceOnlyWithoutText)
{
    ScriptedDialogs dialogs;
    LipSyncDialog dialog(dialogs, "Some text", QString());
    auto* text = dialog.findChild<QPlainTextEdit*>("text");
    auto* words = dialog.findChild<QCheckBox*>("recogniseWords");
    ASSERT_TRUE(text && words);
    EXPECT_FALSE(words->isEnabled());
    EXPECT_FALSE(dialog.recogniseWords()) << "off by default";
    dialog.setRecogniseWords(true);
    text->setPlainText(" \n");
    EXPECT_TRUE(words->isEnabled());
    EXPECT_TRUE(dialog.recogniseWords());
    dialog.show();
    settle();
    EXPECT_TRUE(dialog.grab().save(shotPath("dialog-lipsync-words.png")));
    text->setPlainText("Hello");
    EXPECT_FALSE(words->isEnabled());
    EXPECT_TRUE(dialog.recogniseWords());
}
