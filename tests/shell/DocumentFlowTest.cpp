// The document commands of the frame driven as the user would, with every question answered by a
// script: the flows run in the session, the frame asks and shows.
#include "Common/ResourceIds.h"
#include "ShellTestSupport.h"
#include "documents/ProjectStore.h"
#include "session/ProjectSession.h"
#include "shell/CListPanel.h"
#include "shell/CTeethPanel.h"
#include "shell/CompanionNotifier.h"
#include "shell/DocumentCommands.h"
#include "shell/ResourceUi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSettings>
#include <QToolBar>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace res;
using testsupport::TempDir;
using Answer = SessionPrompts::Answer;

namespace {

QString pathIn(const TempDir& dir, const char* name) { return QString::fromStdString((dir / name).string()); }

// Collects what arrives at a companion program's server.
struct Companion {
    QLocalServer server;
    QByteArray received;
    Companion()
    {
        QLocalServer::removeServer(CompanionNotifier::serverName());
        server.listen(CompanionNotifier::serverName());
        QObject::connect(&server, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* socket = server.nextPendingConnection())
                QObject::connect(socket, &QLocalSocket::readyRead, [this, socket] { received += socket->readAll(); });
        });
    }
    QByteArray take()
    {
        QElapsedTimer wait;
        wait.start();
        while (received.size() < CompanionNotifier::kPayloadSize && wait.elapsed() < 3000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QByteArray out = received;
        received.clear();
        return out;
    }
};

} // namespace

TEST(DocumentFlows, SaveOnAnUntitledProjectAsksForANameAndTellsTheCompanion)
{
    shelltest::clearSettings();
    TempDir dir;
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    EXPECT_FALSE(frame.isCommandEnabled(kCmdSummary)); // no file yet

    frame.runCommand(kCmdSave); // the save dialog is cancelled
    EXPECT_EQ(fixture.dialogs->saveFileAsked, 1);
    EXPECT_TRUE(frame.session().isUntitled());

    Companion companion;
    fixture.dialogs->saveFiles = {pathIn(dir, "first.cmp")};
    fixture.dialogs->companion = {true};
    frame.runCommand(kCmdSave);
    ASSERT_TRUE(fs::exists(dir / "first.cmp"));
    EXPECT_TRUE(frame.windowTitle().endsWith("first.cmp]"));
    EXPECT_EQ(frame.recentFiles().at(0), pathIn(dir, "first.cmp"));
    EXPECT_EQ(fixture.dialogs->companionAsked, 1); // a save as a new file asks first
    EXPECT_EQ(companion.take(), CompanionNotifier::payload(pathIn(dir, "first.cmp"), 0, 0));

    frame.session().setModified(true);
    frame.runCommand(kCmdSave); // a plain save tells without asking
    EXPECT_EQ(fixture.dialogs->companionAsked, 1);
    EXPECT_EQ(companion.take(), CompanionNotifier::payload(pathIn(dir, "first.cmp"), 0, 1));
    EXPECT_FALSE(frame.session().isModified());

    // Summary: OK marks the document modified.
    ASSERT_TRUE(frame.isCommandEnabled(kCmdSummary));
    SummaryInfo summary;
    std::snprintf(summary.text1, sizeof summary.text1, "Weather");
    fixture.dialogs->summary = summary;
    frame.runCommand(kCmdSummary);
    EXPECT_TRUE(frame.session().isModified());
    EXPECT_STREQ(frame.session().store().summary(DocumentKind::project).text1, "Weather");
    frame.session().setModified(false);
}

TEST(DocumentFlows, AFaceOfTheWrongSizeIsRefused)
{
    TempDir dir;
    QImage big(512, 512, QImage::Format_RGB32);
    big.fill(QColor(200, 160, 140));
    ASSERT_TRUE(big.save(pathIn(dir, "big.jpg"), "JPG"));
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    fixture.dialogs->openFiles = {pathIn(dir, "big.jpg")};
    frame.runCommand(kCmdImportFace);
    ASSERT_EQ(fixture.dialogs->messages.size(), 1);
    EXPECT_EQ(fixture.dialogs->messages[0], ResourceUi::format(0xE81F, 256, 256));
    EXPECT_EQ(frame.session().store().assetPath(AssetKind::faceTexture), (dir / "big.jpg").string());
    frame.session().setModified(false);
}

TEST(DocumentFlows, CancelAtTheSaveChangesQuestionChangesNothing)
{
    TempDir dir;
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    CTeethPanel* teeth = frame.listPanel()->teethPanel();
    ASSERT_NE(teeth, nullptr);
    int entry = teeth->currentEntry();
    teeth->checkEntry(entry == 1 ? 2 : 1); // a change made in a pane counts too
    ASSERT_TRUE(frame.anyModified());
    QString title = frame.windowTitle();
    std::string path = frame.session().documentPath();
    for (unsigned command : {kCmdNew, kCmdOpen, kCmdOpenHeadAnimation}) {
        SCOPED_TRACE(command);
        fixture.dialogs->saveChanges = {Answer::cancel};
        fixture.dialogs->newHeads = {true};
        fixture.dialogs->openFiles = {pathIn(dir, "never.cmp")};
        frame.runCommand(command);
        EXPECT_EQ(fixture.dialogs->asked.back(), 0xE849u);
        EXPECT_EQ(fixture.dialogs->newHeads.size(), 1u); // nothing after the question ran
        EXPECT_EQ(fixture.dialogs->openFiles.size(), 1u);
        EXPECT_TRUE(frame.anyModified());
        EXPECT_TRUE(teeth->isModified());
        EXPECT_EQ(frame.session().documentPath(), path);
        EXPECT_EQ(frame.windowTitle(), title);
    }
    // No goes on and clears every flag; the female head then comes from its default content.
    fixture.dialogs->saveChanges = {Answer::no};
    fixture.dialogs->newHeads = {true};
    frame.runCommand(kCmdNew);
    EXPECT_FALSE(frame.anyModified());
    EXPECT_TRUE(frame.windowTitle().endsWith("[Untitled.cmp]")) << fixture.dialogs->messages.join(" / ").toStdString();
}

TEST(DocumentFlows, OptionsApplyAtOnceAndDroppedFilesTakeTheirCommandsFlow)
{
    shelltest::clearSettings();
    shelltest::FrameFixture fixture(0);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    frame.show();
    FrameOptions options;
    options.toolBarFloating = 1;
    options.useMinuteUnit = 1;
    fixture.dialogs->options = options;
    frame.runCommand(kCmdOptions);
    EXPECT_TRUE(frame.toolBar()->isWindow());
    EXPECT_EQ(frame.options(), options);
    EXPECT_EQ(QSettings("Quillmere", "Chattermask Studio (CMP Editor)").value("Options/UseMinuteUnit").toInt(), 1);
    options.toolBarFloating = 0;
    fixture.dialogs->options = options;
    frame.runCommand(kCmdOptions);
    EXPECT_FALSE(frame.toolBar()->isWindow());

    // A voice dropped on the window is imported as the voice; the timeline had items, so the
    // question about them comes first.
    std::int32_t before = frame.session().timeline().sampleCount();
    fixture.dialogs->confirms = {true};
    frame.documents().dropFile(QString::fromStdString((testsupport::binDir() / "Voices" / "Female.wav").string()));
    EXPECT_NE(frame.session().timeline().sampleCount(), before);
    EXPECT_TRUE(frame.session().isModified());
    EXPECT_EQ(fixture.dialogs->asked.front(), 0xE828u);
    frame.session().setModified(false);
}

TEST(DocumentFlows, HelpAndWebPagesOpenInTheBrowser)
{
    shelltest::FrameFixture fixture(1);
    CChattermaskEditorMainFrame& frame = *fixture.frame;
    ASSERT_TRUE(frame.loadFirstDocument());
    for (unsigned command : {kCmdHelpContents, kCmdHelpIndex, kCmdHelpSearch, kCmdWebPage})
        frame.runCommand(command);
    ASSERT_EQ(fixture.dialogs->urls.size(), 4) << fixture.dialogs->messages.join('\n').toStdString();
    EXPECT_TRUE(fixture.dialogs->urls[0].endsWith("/help/index.html"));
    EXPECT_TRUE(fixture.dialogs->urls[1].endsWith("/help/guide-index.html"));
    EXPECT_TRUE(fixture.dialogs->urls[2].endsWith("/help/search.html?q=culture"));
    EXPECT_EQ(fixture.dialogs->urls[3], ResourceUi::text(10009));
    frame.runCommand(kCmdAbout);
    EXPECT_EQ(fixture.dialogs->aboutShown, 1);
}
