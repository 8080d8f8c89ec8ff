#include "session/MediaExport.h"

#include "session/PlaybackFill.h"
#include "session/ProjectSession.h"
#include "session/SessionMessages.h"

#include "documents/StreamProjectInputs.h"
#include "export/HtmlPage.h"
#include "face/CHeadModel.h"
#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"

#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>

namespace {

constexpr int kFaceSlot = 0, kTeethTopSlot = 1, kTeethBottomSlot = 2;

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

const std::uint32_t* pixelsOf(const CJpegPicture& picture)
{
    return reinterpret_cast<const std::uint32_t*>(picture.pixels());
}

// A slot picture that is missing or does not fit leaves the model's own texture, as the editor does.
std::optional<CJpegPicture> slotPicture(const std::string& path, bool alpha, int slot, const CHeadModel& head)
{
    CJpegPicture picture;
    int width = 0, height = 0;
    if (path.empty() || !head.slotSize(slot, width, height) || !picture.loadFile(path, alpha) ||
        picture.width() != width || picture.height() != height)
        return std::nullopt;
    return picture;
}

void putProjectPictures(CHeadModel& head, const ProjectStore& store)
{
    auto face = slotPicture(store.assetPath(AssetKind::faceTexture), false, kFaceSlot, head);
    const auto mask = slotPicture(store.assetPath(AssetKind::mask), true, kFaceSlot, head);
    if (face) {
        if (mask)
            face->takeAlphaFrom(*mask);
        head.writeSlotPixels(kFaceSlot, pixelsOf(*face));
    } else if (mask) {
        head.writeSlotAlpha(kFaceSlot, pixelsOf(*mask));
    }
    if (const auto top = slotPicture(store.assetPath(AssetKind::teethTop), false, kTeethTopSlot, head))
        head.writeSlotPixels(kTeethTopSlot, pixelsOf(*top));
    if (const auto bottom =
            slotPicture(store.assetPath(AssetKind::teethBottom), false, kTeethBottomSlot, head))
        head.writeSlotPixels(kTeethBottomSlot, pixelsOf(*bottom));
}

// The document's own head, standing as the editing view shows it, with the project's pictures.
std::unique_ptr<CHeadModel> documentHead(const ProjectStore& store)
{
    std::unique_ptr<CHeadModel> head = headModelOf(store);
    if (!head)
        return nullptr;
    CSoftRenderer view;
    if (!view.create(head.get(), 0))
        return nullptr;
    headview::attachWithNormalise(view, *head);
    putProjectPictures(*head, store);
    return head;
}

HeadPackFiles packFiles(const ProjectStore& store)
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
    parameters.pictures = packFiles(store);
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
