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


std::unique_ptr<SpeechFrameCoder> makeStreamSpeechCoder()
{
    return makeG723StreamCoder();
}
