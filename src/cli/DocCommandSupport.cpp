#include "cli/DocCommandSupport.h"

#include "audio/VoiceConversion.h"

#include "documents/ChunkedContainer.h"
#include "documents/CmtStreamWriter.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "documents/G723StreamCoder.h"
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "documents/SpeechFrameCoder.h"

void failWithStatus(const CliContext& context, const DocumentStatus& status)
{
    if (status.messageId) {
        const std::string pattern =
            context.resources.text(status.messageId).value_or("String " + std::to_string(status.messageId));
        throw CliError(formatMessage(pattern, status.arguments), status.messageId);
    }
    if (status.fileError != DocumentStatus::FileError::none)
        throw CliError(fileErrorText(status.fileError, status.path));
    throw CliError("the document operation failed");
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

uint64_t voiceSampleCount(const std::filesystem::path& wav)
{
    FileByteSource in;
    uint64_t offset = 0, bytes = 0;
    return in.open(wav) && findVoiceSamples(in, offset, bytes) ? bytes / 2 : 0;
}

void convertVoiceOrFail(const CliContext& context, const std::string& in, const std::filesystem::path& out)
{
    requireFile(context, in);
    // The same conversion the import-voice command runs: any PCM WAV to 16 kHz mono 16-bit.
    if (convertVoice(out, in) != kWavOk)
        failWithMessage(context, 0xE829);
}

namespace {
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}
} // namespace

ConsoleProgress::ConsoleProgress() : terminal_(isatty(fileno(stderr)) != 0)
{
    interrupted = 0;
    previousHandler_ = std::signal(SIGINT, onInterrupt);
}

ConsoleProgress::~ConsoleProgress()
{
    std::signal(SIGINT, previousHandler_ == SIG_ERR ? SIG_DFL : previousHandler_);
    if (terminal_ && shown_ >= 0)
        std::fputc('\n', stderr);
}

bool ConsoleProgress::report(int perMille)
{
    if (terminal_ && perMille / 10 != shown_ / 10) {
        shown_ = perMille;
        std::fprintf(stderr, "\r%3d%%", perMille / 10);
        std::fflush(stderr);
    }
    return interrupted == 0;
}

std::unique_ptr<SpeechFrameCoder> makeStreamSpeechCoder()
{
    return makeG723StreamCoder();
}
