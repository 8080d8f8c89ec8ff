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

// Shared by the document commands: turning a core status into the user's message and the session a
// command works on.

// Ends the command with the status's message (and the outside reason it carries, if any).
[[noreturn]] void failWithStatus(const CliContext& context, const CoreStatus& status);
DocumentStatus notFoundStatus(const std::string& path);
DocumentStatus endOfFileStatus(const std::string& path);
// Refuses, with the file layer's message, a path that is not a readable file.
void requireFile(const CliContext& context, const std::string& path);

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
