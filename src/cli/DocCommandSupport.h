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

class CHeadModel;
class ProjectStore;
class TimelineData;

// Shared by the document commands: turning a core status into the user's message and the session a
// command works on.

// Ends the command with the status's message (and the outside reason it carries, if any).
[[noreturn]] void failWithStatus(const CliContext& context, const CoreStatus& status);
DocumentStatus notFoundStatus(const std::string& path);
DocumentStatus endOfFileStatus(const std::string& path);
// Refuses, with the file layer's message, a path that is not a readable file.
void requireFile(const CliContext& context, const std::string& path);

// A whole number from 0 to `limit`, nothing for any other text.
std::optional<std::uint32_t> parseWhole(const std::string& text, std::uint32_t limit);
// Selects FROM:TO (timeline samples, as a selection in the track window) on the timeline; throws
// CliError unless the range lies inside the voice.
void selectSampleRange(TimelineData& timeline, const std::string& text);

// The project's head as the editing view shows it (attached with normalise, neutral pose saved) with
// the store's face, mask and teeth pictures in their slots; throws CliError when it cannot be read.
std::unique_ptr<CHeadModel> preparedHeadOf(const ProjectStore& store, const std::string& projectPath);

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
