#pragma once

#include "cli/CliCommand.h"
#include "cli/ConsoleProgress.h"

#include "documents/DocumentStatus.h"
#include "Common/TempFile.h"
#include "session/ProjectSession.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Shared by the document commands: turning a core status into the user's message, the session a
// command works on, and the temporary files a command makes on its way.

// Ends the command with the status's message (and the outside reason it carries, if any).
[[noreturn]] void failWithStatus(const CliContext& context, const CoreStatus& status);
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


// The speech coder of the stream file, or nullptr when this build has none.
std::unique_ptr<class SpeechFrameCoder> makeStreamSpeechCoder();


// A session over document files for one command: no live head (documents keep their own mesh), the
// shipped content of this run, and no one to ask, so each question takes its stated default.
class CliSession {
public:
    explicit CliSession(EditorMode mode);
    ProjectSession& operator*() { return session_; }
    ProjectSession* operator->() { return &session_; }

private:
    DefaultPrompts prompts_;
    ProjectSession session_;
};

// The mesh record to pack for a head given on the command line: a mesh record as it is, or a generic
// head text file converted into a record in a temporary file.
std::optional<std::string> meshRecordFile(const CliContext& context, const std::string& head,
                                          TempPathList& temporaries);
