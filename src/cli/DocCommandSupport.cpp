#include "cli/DocCommandSupport.h"

#include "session/DocumentHead.h"

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

std::unique_ptr<CHeadModel> preparedHeadOf(const ProjectStore& store, const std::string& projectPath)
{
    std::unique_ptr<CHeadModel> head = documentHead(store);
    if (!head)
        throw CliError("the project " + projectPath + " has no readable head model");
    return head;
}
