#include "cli/DocCommandSupport.h"

#include "Common/ContentRoot.h"

#include "documents/ChunkedContainer.h"
#include "documents/CmtStreamWriter.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "documents/G723StreamCoder.h"
#include "documents/ProjectStore.h"
#include "documents/SpeechFrameCoder.h"
#include "documents/StreamProjectInputs.h"
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "timeline/TimelineData.h"

void failWithStatus(const CliContext& context, const CoreStatus& status)
{
    const std::string reason = status.detail.empty() ? std::string() : " (" + status.detail + ")";
    if (status.messageId) {
        const std::string pattern =
            context.resources.text(status.messageId).value_or("String " + std::to_string(status.messageId));
        throw CliError(formatMessage(pattern, status.arguments) + reason, status.messageId);
    }
    if (status.fileError != CoreStatus::FileError::none)
        throw CliError(fileErrorText(status.fileError, status.path) + reason);
    throw CliError("the document operation failed" + reason);
}

CliSession::CliSession(EditorMode mode) : session_(mode, prompts_, contentRoot(), SessionHead::fromDocument)
{
}

DocumentStatus notFoundStatus(const std::string& path)
{
    DocumentStatus status;
    status.setFileError(DocumentStatus::FileError::notFound, path);
    return status;
}

DocumentStatus endOfFileStatus(const std::string& path)
{
    DocumentStatus status;
    status.setFileError(DocumentStatus::FileError::endOfFile, path);
    return status;
}

void requireFile(const CliContext& context, const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        failWithStatus(context, notFoundStatus(path));
}

std::unique_ptr<SpeechFrameCoder> makeStreamSpeechCoder()
{
    return makeG723StreamCoder();
}

std::optional<std::uint32_t> parseWhole(const std::string& text, std::uint32_t limit)
{
    std::uint32_t value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || value > limit)
        return std::nullopt;
    return value;
}

void selectSampleRange(TimelineData& timeline, const std::string& text)
{
    const std::size_t colon = text.find(':');
    const auto from =
        colon == std::string::npos ? std::nullopt : parseWhole(text.substr(0, colon), INT32_MAX);
    const auto to = colon == std::string::npos ? std::nullopt : parseWhole(text.substr(colon + 1), INT32_MAX);
    if (!from || !to)
        throw CliError("bad --range '" + text + "': expected FROM:TO, whole numbers of samples");
    if (*to <= *from)
        throw CliError("bad --range '" + text + "': TO must be after FROM");
    if (*to > std::uint32_t(timeline.sampleCount()))
        throw CliError("--range '" + text + "' is not inside the voice of " +
                       std::to_string(timeline.sampleCount()) + " samples");
    timeline.setSelection(std::int32_t(*from), std::int32_t(*to));
}

namespace {

// A slot picture that is missing or does not fit leaves the model's own texture, as the editor does.
std::optional<CJpegPicture> slotPicture(const std::string& path, bool alpha, int width, int height)
{
    CJpegPicture picture;
    if (path.empty() || !picture.loadFile(path, alpha) || picture.width() != width ||
        picture.height() != height)
        return std::nullopt;
    return picture;
}

void putProjectPictures(CHeadModel& head, const ProjectStore& store)
{
    const auto pixels = [](const CJpegPicture& p) {
        return reinterpret_cast<const std::uint32_t*>(p.pixels());
    };
    auto face = slotPicture(store.assetPath(AssetKind::faceTexture), false, 256, 256);
    const auto mask = slotPicture(store.assetPath(AssetKind::mask), true, 256, 256);
    if (face) {
        if (mask)
            face->takeAlphaFrom(*mask);
        head.writeSlotPixels(0, pixels(*face));
    } else if (mask) {
        head.writeSlotAlpha(0, pixels(*mask));
    }
    if (const auto top = slotPicture(store.assetPath(AssetKind::teethTop), false, 64, 16))
        head.writeSlotPixels(1, pixels(*top));
    if (const auto bottom = slotPicture(store.assetPath(AssetKind::teethBottom), false, 64, 16))
        head.writeSlotPixels(2, pixels(*bottom));
}

} // namespace

std::unique_ptr<CHeadModel> preparedHeadOf(const ProjectStore& store, const std::string& projectPath)
{
    std::unique_ptr<CHeadModel> head = headModelOf(store);
    if (!head)
        throw CliError("the project " + projectPath + " has no readable head model");
    {
        // The head stands as the editing view shows it.
        CSoftRenderer view;
        if (!view.create(head.get(), 0))
            throw CliError("cannot create the software renderer");
        headview::attachWithNormalise(view, *head);
    }
    putProjectPictures(*head, store);
    return head;
}
