#pragma once

#include "Common/CoreStatus.h"
#include "Common/Progress.h"
#include "export/ExportCodes.h"
#include "export/ExportPipeline.h"

#include <cstdint>
#include <filesystem>
#include <vector>

class ProjectSession;

// Message numbers of the export's failures, in the resource library.
constexpr unsigned kMsgExportSetting = 59550; // a setting the chosen profile cannot take; shown first
constexpr unsigned kMsgExportFailed = 59438;  // every failure, the refused settings included

// What the export options and the save dialog chose.
struct MediaExportRequest {
    std::filesystem::path output;
    ExportKind kind = ExportKind::stream;
    int profileIndex = 0; // the video kind's stock profile
    bool writePage = false;
    int framesPerSecond = 15; // the animation stream's and MP4's; the video kind takes its profile's
    int mp4Size = 256;
    std::uint32_t blinkSeed = 0; // the random blinks: the same seed gives the same file
};

class ProjectStore;

// The pictures of a project that travel with its exported head: mask, photo, teeth and the first
// background.
HeadPackFiles exportPictures(const ProjectStore& store);

// The messages a failed export shows, in order: 59550 for settings the profile refused, then 59438.
std::vector<unsigned> exportFailureMessages(ExportCode code);

// The export of the session's project with the web page beside it when asked, the one flow behind the
// studio's command and the command-line tool. The session's live head is exported as it stands and
// marked busy meanwhile; a session without one exports the document's own head, set up as the editing
// view shows it. `progress` sees per-mille steps (total 1000); a false answer cancels. Refused with
// 0xE82A while the model is busy. On any failure, a cancel included, nothing new is left at the output
// path (nor the page), `status` holds 59438 with the code and reason as its detail, and the code is
// returned.
ExportCode exportMedia(ProjectSession& session, const MediaExportRequest& request,
                       const ProgressCallback& progress, CoreStatus& status,
                       ExportSummary* summary = nullptr);

// The pipeline's bytes of voice done out of the total as a step out of 1000.
std::uint64_t exportPerMille(std::uint64_t done, std::uint64_t total);
