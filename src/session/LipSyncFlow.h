#pragma once

#include "Common/CoreStatus.h"
#include "lipsync/LipSyncAnalyzer.h"

#include <cstddef>
#include <filesystem>
#include <string>

class ISylRecogniser;
class ProjectSession;
class TimelineUndo;

// What one lip-sync run is given.
struct LipSyncRequest {
    std::string script; // the words the voice speaks (UTF-8); white space alone is no text
    // Without text: recognise the voice's words first and align with them (slower, closer to the mouth).
    bool recogniseWords = false;
    // The recogniser and its resource file; the installed ones when not given.
    ISylRecogniser* recogniser = nullptr;
    std::string resourceFile;
};

struct LipSyncOutcome {
    bool trackReplaced = false; // false when the voice held no speech: the track stayed as it was
    std::size_t visemes = 0;
    std::size_t scriptWords = 0; // the text's words that could be pronounced; 0 without text
    std::size_t wordsFound = 0;  // of those, the ones found in the voice
};

// The text file that goes with the session's voice: the voice's own file with ".txt", or, for a voice
// that came with the saved document, its recorded name with ".txt" beside the document. Empty when
// neither exists.
std::filesystem::path voiceTextFile(const ProjectSession& session);

// Reads a text for the lip-sync; a file of nothing but white space gives an empty text. False, with
// kMsgTextUnreadable and the path, when it cannot be read or is larger than 16 MB (no spoken text is).
bool readScriptFile(const std::filesystem::path& path, std::string& script, CoreStatus& status);

// The lip-sync of the session's voice, aligned with the request's text when it has words. On success
// the viseme track is replaced as one step of `history` (when given), the timeline's observers are told
// and the document is modified. A failure (kMsgLipSyncFailed) or a cancel from `progress`
// (kMsgCancelled) leaves every track as it was and the document unmodified. Refused with kMsgModelBusy
// while the head model is busy, with kMsgNoVoice without a voice.
bool runLipSync(ProjectSession& session, const LipSyncRequest& request, const LipSyncProgress& progress,
                TimelineUndo* history, CoreStatus& status, LipSyncOutcome* outcome = nullptr);

// Refills the head-turn track from the viseme track with the noise shifted by `offset` (see
// drawHeadTurnOffset), as one step of `history` when given. Refused and failing as runLipSync does;
// kMsgHeadTurnsFailed when the keys cannot be stored (the tracks stay as they were).
bool runAutomaticHeadTurns(ProjectSession& session, double offset, TimelineUndo* history, CoreStatus& status);
