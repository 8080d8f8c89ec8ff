// The export flow shared by the studio and the command-line tool: the live head marked busy while it
// runs, per-mille progress, and every failure (a cancel, a page that cannot be written, a busy model)
// leaving nothing new behind with the message the user is shown.
#include "SessionTestSupport.h"

#include "session/MediaExport.h"
#include "session/SessionMessages.h"

#include "face/CHeadModel.h"

#include <gtest/gtest.h>

using namespace sessiontest;
namespace fs = std::filesystem;

TEST(MediaExport, ExportsTheLiveHeadBusyWhileItRunsAndReportsPerMille)
{
    testsupport::TempDir dir;
    ScriptedPrompts prompts;
    ProjectSession session(EditorMode::project, prompts, content());
    CoreStatus status;
    ASSERT_TRUE(session.openDocument(content() / "Default" / "Male.cmx", false, status));
    ASSERT_NE(session.headModel(), nullptr);

    MediaExportRequest request;
    request.output = dir / "talk.cmf";
    request.writePage = true;
    std::vector<std::uint64_t> steps;
    bool busyThroughout = true;
    const auto progress = [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, 1000u);
        steps.push_back(done);
        busyThroughout = busyThroughout && session.isBusy();
        return true;
    };
    ExportSummary summary;
    ASSERT_EQ(exportMedia(session, request, progress, status, &summary), kExportOk) << status.detail;
    EXPECT_FALSE(status.failed());
    EXPECT_TRUE(busyThroughout);
    EXPECT_FALSE(session.isBusy());
    ASSERT_EQ(steps.size(), summary.frames);
    EXPECT_EQ(steps.front(), 0u);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_GT(steps.back(), 980u);
    EXPECT_LE(steps.back(), 1000u);
    EXPECT_TRUE(fs::is_regular_file(dir / "talk.cmf"));
    EXPECT_EQ(testsupport::readTextFile(dir / "talk.html").substr(0, 8), "<HTML>\r\n");

    // A second run with the same seed writes the same file.
    const auto first = testsupport::readBinaryFile(dir / "talk.cmf");
    ASSERT_EQ(exportMedia(session, request, {}, status), kExportOk);
    EXPECT_EQ(testsupport::readBinaryFile(dir / "talk.cmf"), first);
}

TEST(MediaExport, EveryFailureLeavesNothingNewAndNamesItsMessages)
{
    testsupport::TempDir dir;
    ScriptedPrompts prompts;
    ProjectSession session(EditorMode::project, prompts, content());
    CoreStatus status;
    ASSERT_TRUE(session.openDocument(content() / "Default" / "Male.cmx", false, status));

    // Cancelled on the third frame.
    MediaExportRequest request;
    request.output = dir / "cancelled.wmv";
    request.kind = ExportKind::video;
    request.profileIndex = 1;
    request.writePage = true;
    int calls = 0;
    EXPECT_EQ(exportMedia(
                  session, request, [&](std::uint64_t, std::uint64_t) { return ++calls < 3; }, status),
              kExportAborted);
    EXPECT_EQ(status.messageId, kMsgExportFailed);
    EXPECT_NE(status.detail.find("0x80004004"), std::string::npos) << status.detail;
    EXPECT_FALSE(session.isBusy());

    // The page cannot be written (a folder holds its name): the finished file goes with it.
    fs::create_directory(dir / "paged.html");
    request.output = dir / "paged.cmf";
    request.kind = ExportKind::stream;
    status.clear();
    EXPECT_EQ(exportMedia(session, request, {}, status), kExportFailed);
    EXPECT_NE(status.detail.find("web page"), std::string::npos) << status.detail;

    // A profile without an audio encoder, and a model another task holds.
    request.output = dir / "speech.wmv";
    request.kind = ExportKind::video;
    request.profileIndex = 0;
    status.clear();
    EXPECT_EQ(exportMedia(session, request, {}, status), kExportNoAudioFormat);
    session.headModel()->setBusy(1);
    status.clear();
    EXPECT_EQ(exportMedia(session, request, {}, status), kExportFailed);
    EXPECT_EQ(status.messageId, kMsgModelBusy);
    session.headModel()->setBusy(0);

    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"paged.html"});

    EXPECT_EQ(exportFailureMessages(kExportInvalidArgument), (std::vector<unsigned>{59550, 59438}));
    EXPECT_EQ(exportFailureMessages(kExportAborted), std::vector<unsigned>{59438});
    EXPECT_TRUE(exportFailureMessages(kExportOk).empty());
    // Per mille as the export command reckons it: by thousandths of the total once it has that many.
    const std::uint64_t perMille[][3] = {{0, 0, 1000},      {5, 10, 500},       {999, 1000, 999},
                                         {1999, 2000, 999}, {3000, 3001, 1000}, {7, 3, 1000}};
    for (const auto& row : perMille)
        EXPECT_EQ(exportPerMille(row[0], row[1]), row[2]) << row[0] << " of " << row[1];
}
