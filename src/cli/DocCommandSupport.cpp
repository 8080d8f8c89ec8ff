#include "cli/DocCommandSupport.h"

#include "Common/ContentRoot.h"

#include "documents/ChunkedContainer.h"
#include "documents/CmtStreamWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "documents/G723StreamCoder.h"
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "documents/SpeechFrameCoder.h"

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

const std::filesystem::path& TempPathList::make(const std::string& prefix)
{
    files_.push_back(std::make_unique<ScopedTempFile>(prefix));
    if (!files_.back()->valid())
        throw CliError("no temporary file could be made");
    return files_.back()->path();
}

std::optional<std::string> meshRecordFile(const CliContext& context, const std::string& head,
                                          TempPathList& temporaries)
{
    requireFile(context, head);
    // A mesh record starts with two binary counts; a generic head text file with a label word.
    FileByteSource in;
    uint8_t start[4] = {};
    if (!in.open(head) || !in.readExactly(start, sizeof start) ||
        !std::all_of(std::begin(start), std::end(start), [](uint8_t c) { return c >= 0x20 && c < 0x7F; }))
        return head;
    std::unique_ptr<CHeadModel> model = readTextHeadFile(head);
    if (!model)
        throw CliError(head + " is not a head file that can be read");
    const std::filesystem::path& record = temporaries.make("hm");
    if (!writeMeshRecord(record, *model, false))
        throw CliError("the mesh record could not be written");
    return record.string();
}

std::unique_ptr<SpeechFrameCoder> makeStreamSpeechCoder()
{
    return makeG723StreamCoder();
}
