#include "session/MediaExport.h"

#include "session/DocumentHead.h"
#include "session/PlaybackFill.h"
#include "session/ProjectSession.h"
#include "session/SessionMessages.h"

#include "documents/StreamProjectInputs.h"
#include "export/HtmlPage.h"
#include "face/CHeadModel.h"

#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>

namespace {

std::string codeText(ExportCode code)
{
    std::ostringstream text;
    text << "0x" << std::uppercase << std::hex << std::setw(8) << std::setfill('0') << code;
    switch (code) {
    case kExportNoAudioFormat:
        text << ": no installed audio encoder produces the profile's audio format";
        break;
    case kExportAborted:
        text << ": cancelled";
        break;
    case kExportInvalidArgument:
        text << ": the settings are out of range";
        break;
    default:
        break;
    }
    return text.str();
}


ExportCode failed(ExportCode code, const std::string& reason, CoreStatus& status)
{
    status.setMessage(kMsgExportFailed);
    status.detail = codeText(code) + (reason.empty() ? "" : ": " + reason);
    return code;
}

bool writePage(const MediaExportRequest& request, const ExportSummary& summary)
{
    return request.kind == ExportKind::mp4 ? writeHtml5Page(request.output, summary.width, summary.height)
                                           : writeHtmlPage(request.output, summary.width, summary.height);
}

} // namespace

std::vector<unsigned> exportFailureMessages(ExportCode code)
{
    if (code == kExportOk)
        return {};
    if (code == kExportInvalidArgument)
        return {kMsgExportSetting, kMsgExportFailed};
    return {kMsgExportFailed};
}

std::uint64_t exportPerMille(std::uint64_t done, std::uint64_t total)
{
    if (total == 0)
        return 1000;
    done = std::min(done, total);
    return total >= 1000 ? std::min<std::uint64_t>(done / (total / 1000), 1000) : done * 1000 / total;
}

ExportCode exportMedia(ProjectSession& session, const MediaExportRequest& request,
                       const ProgressCallback& progress, CoreStatus& status, ExportSummary* summaryOut)
{
    if (session.isBusy()) {
        status.setMessage(kMsgModelBusy);
        return kExportFailed;
    }
    TimelineData& timeline = session.timeline();
    if (timeline.sampleCount() <= 0 || timeline.voiceFile().empty())
        return failed(kExportFailed, "the project has no voice to export", status);
    const ProjectStore& store = session.store();
    std::unique_ptr<CHeadModel> ownHead;
    CHeadModel* head = session.headModel();
    if (!head) {
        ownHead = documentHead(store);
        head = ownHead.get();
    }
    if (!head)
        return failed(kExportFailed, "the project has no readable head model", status);

    ExportParameters parameters;
    parameters.output = request.output;
    parameters.kind = request.kind;
    parameters.profileIndex = request.profileIndex;
    parameters.head = head;
    parameters.timeline = &timeline;
    parameters.expressionsFolder = session.contentRoot() / "Expressions";
    const MediaFiles files = mediaFilesOf(store);
    const std::uint32_t seed = request.blinkSeed;
    parameters.fill = [&timeline, &files, seed](CFapMixer& mixer, CEventSequencer& schedule) {
        fillPlayback(timeline, files, mixer, schedule, wholeVoiceRange(timeline), seededBlinkRandom(seed));
    };
    parameters.pictures = exportPictures(store);
    parameters.framesPerSecond = request.framesPerSecond;
    parameters.mp4Size = request.mp4Size;
    // The page is written here, so that a page that cannot be written takes the file with it.
    parameters.writePage = false;
    if (progress)
        parameters.progress = [&progress](std::uint64_t done, std::uint64_t total) {
            return progress(exportPerMille(done, total), 1000);
        };

    ExportSummary summary;
    ExportCode code = runExport(parameters, &summary);
    if (ownHead == nullptr)
        session.notify(kHeadChanged | kTexturesChanged); // the live head moved and stands again
    if (code == kExportOk && request.writePage && !writePage(request, summary)) {
        std::error_code error;
        std::filesystem::remove(request.output, error);
        summary.failure = "the web page beside the file cannot be written";
        code = kExportFailed;
    }
    if (summaryOut)
        *summaryOut = summary;
    if (code != kExportOk)
        return failed(code, summary.failure, status);
    return kExportOk;
}

HeadPackFiles exportPictures(const ProjectStore& store)
{
    HeadPackFiles files;
    files.mask = store.assetPath(AssetKind::mask);
    files.photo = store.assetPath(AssetKind::faceTexture);
    files.teethTop = store.assetPath(AssetKind::teethTop);
    files.teethBottom = store.assetPath(AssetKind::teethBottom);
    if (store.backgrounds().count() > 0)
        files.background = store.backgrounds().path(0);
    return files;
}
