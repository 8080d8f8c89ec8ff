#include "session/LipSyncFlow.h"

#include "session/ProjectSession.h"
#include "session/SessionMessages.h"

#include "lipsync/TimelineVisemeSink.h"
#include "timeline/HeadTurnGenerator.h"
#include "timeline/TimelineUndo.h"

#include <fstream>
#include <system_error>

namespace {

constexpr std::streamsize kMaxScriptBytes = 16 << 20;

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool hasVoice(const TimelineData& timeline)
{
    return timeline.sampleCount() > 0 && !timeline.voiceFile().empty();
}

bool refused(const ProjectSession& session, CoreStatus& status)
{
    if (session.isBusy()) {
        status.setMessage(kMsgModelBusy);
        return true;
    }
    if (!hasVoice(session.timeline())) {
        status.setMessage(kMsgNoVoice);
        return true;
    }
    return false;
}

// The analysis hands over the track after every block; it is kept here until the whole run succeeded,
// so that a failure or a cancel in a later block cannot leave half a track behind.
struct HeldTrack : IVisemeTrackSink {
    std::vector<TrackPhoneme> items;
    bool filled = false;
    void setVisemeTrack(const std::vector<TrackPhoneme>& track) override
    {
        items = track;
        filled = true;
    }
};

// Changes the tracks as one step of `history`; when `change` fails every track goes back to what it
// was and no step is kept. Returns false on failure, else tells the observers and marks the document.
template <typename Change>
bool changeTracks(ProjectSession& session, TimelineUndo* history, const char* name, Change&& change)
{
    TimelineData& timeline = session.timeline();
    const TimelineState before = captureTimeline(timeline);
    if (history)
        history->begin(name);
    if (!change()) {
        if (history)
            history->cancel();
        restoreTimeline(before, timeline);
        return false;
    }
    const unsigned changed = history ? history->commit() : differingTracks(before, captureTimeline(timeline));
    if (changed) {
        timeline.notifyChanged(changed | kSelectionChanged);
        session.setModified(true);
        session.notify(kTimelineChanged);
    }
    return true;
}

} // namespace

std::filesystem::path voiceTextFile(const ProjectSession& session)
{
    std::filesystem::path picked = session.voiceSource();
    if (!picked.empty() && isFile(picked.replace_extension(".txt")))
        return picked;
    const std::string document = session.documentPath();
    const std::string voiceName = fieldText(session.store().headAnimationProperties().voiceName);
    if (session.hasFile() && !document.empty() && !voiceName.empty()) {
        const std::filesystem::path beside =
            std::filesystem::path(document).parent_path() /
            std::filesystem::path(voiceName).filename().replace_extension(".txt");
        if (isFile(beside))
            return beside;
    }
    return {};
}

bool readScriptFile(const std::filesystem::path& path, std::string& script, CoreStatus& status)
{
    std::ifstream in(path, std::ios::binary);
    if (!in || !isFile(path)) {
        status.setMessage(kMsgTextUnreadable, {path.string()}, path.string());
        return false;
    }
    std::string text(static_cast<size_t>(kMaxScriptBytes) + 1, '\0');
    in.read(text.data(), kMaxScriptBytes + 1);
    text.resize(static_cast<size_t>(in.gcount()));
    if (in.bad() || static_cast<std::streamsize>(text.size()) > kMaxScriptBytes) {
        status.setMessage(kMsgTextUnreadable, {path.string()}, path.string());
        status.detail = in.bad() ? "read error" : "larger than 16 MB";
        return false;
    }
    script = text.find_first_not_of(" \t\r\n") == std::string::npos ? std::string() : std::move(text);
    return true;
}

bool runLipSync(ProjectSession& session, const LipSyncRequest& request, const LipSyncProgress& progress,
                TimelineUndo* history, CoreStatus& status, LipSyncOutcome* outcome)
{
    if (refused(session, status))
        return false;
    bool cancelled = false;
    LipSyncProgress watched = [&](unsigned step, unsigned total, const std::string& remaining,
                                  const std::string& elapsed) {
        const int goOn = progress ? progress(step, total, remaining, elapsed) : 1;
        cancelled = cancelled || goOn == 0;
        return goOn;
    };
    HeldTrack held;
    LipSyncAnalyzer analyzer(held, session.timeline().voiceFile().string(), watched, request.recogniser,
                             request.resourceFile);
    const bool blank = request.script.find_first_not_of(" \t\r\n") == std::string::npos;
    if (!blank)
        analyzer.setScript(request.script);
    analyzer.setRecogniseWords(request.recogniseWords);
    if (!analyzer.run()) {
        status.setMessage(cancelled ? kMsgCancelled : kMsgLipSyncFailed);
        return false;
    }
    // A voice without speech leaves the track as it was.
    if (held.filled && !changeTracks(session, history, "Lip-sync",
                                     [&] { return replaceVisemeTrack(session.timeline(), held.items); })) {
        status.setMessage(kMsgLipSyncFailed);
        status.detail = "the viseme track cannot hold the result";
        return false;
    }
    if (outcome) {
        outcome->trackReplaced = held.filled;
        outcome->visemes = static_cast<std::size_t>(session.timeline().visemes().count());
        outcome->scriptWords = analyzer.scriptWords();
        outcome->wordsFound = analyzer.scriptWordsFound();
    }
    return true;
}

bool runAutomaticHeadTurns(ProjectSession& session, double offset, TimelineUndo* history, CoreStatus& status)
{
    if (refused(session, status))
        return false;
    if (!changeTracks(session, history, "Automatic head turns",
                      [&] { return generateHeadTurns(session.timeline(), offset); })) {
        status.setMessage(kMsgHeadTurnsFailed);
        return false;
    }
    return true;
}
