#pragma once

#include "cli/CliCommand.h"

#include "documents/DocumentStatus.h"
#include "Common/TempFile.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Shared by the document commands: turning a document failure into the user's message, and the
// temporary files a command makes on its way.

[[noreturn]] void failWithStatus(const CliContext& context, const DocumentStatus& status);
DocumentStatus notFoundStatus(const std::string& path);
DocumentStatus endOfFileStatus(const std::string& path);
// Refuses, with the file layer's message, a path that is not a readable file.
void requireFile(const CliContext& context, const std::string& path);

// Temporary files that live until the command ends.
class TempPathList {
public:
    // A new temporary file with `prefix`; throws CliError when none can be made.
    const std::filesystem::path& make(const std::string& prefix);

private:
    std::vector<std::unique_ptr<ScopedTempFile>> files_;
};

// Converts any voice to 16 kHz mono 16-bit into `out` as the import-voice command does; refuses with
// message 0xE829 when it cannot.
void convertVoiceOrFail(const CliContext& context, const std::string& in, const std::filesystem::path& out);
// The number of samples of a 16 kHz mono 16-bit WAV.
uint64_t voiceSampleCount(const std::filesystem::path& wav);

// The speech coder of the stream file, or nullptr when this build has none.
std::unique_ptr<class SpeechFrameCoder> makeStreamSpeechCoder();

// Reports per-mille progress on standard error when it is a terminal, and turns Ctrl+C into a cancel
// for as long as it exists.
class ConsoleProgress {
public:
    ConsoleProgress();
    ~ConsoleProgress();
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;
    // Shows `perMille`; false once the user pressed Ctrl+C.
    bool report(int perMille);

private:
    void (*previousHandler_)(int) = nullptr;
    bool terminal_ = false;
    int shown_ = -1;
};

// The mesh record to pack for a head given on the command line: a mesh record as it is, or a generic
// head text file converted into a record in a temporary file.
std::optional<std::string> meshRecordFile(const CliContext& context, const std::string& head,
                                          TempPathList& temporaries);
