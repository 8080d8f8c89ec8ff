#pragma once

#include "timeline/TimelineItems.h"
#include "timeline/TimelineObserver.h"
#include "timeline/TrackArray.h"
#include "timeline/VoiceReader.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Everything of a project that happens over time: the voice reference that sets the length, five
// tracks of timed records, the selection and the playback cursor. Times are samples of the
// 16 kHz voice. Reading the voice itself belongs to the caller; this object keeps its working
// copy's path and sample count.
class TimelineData {
public:
    TimelineData() = default;
    ~TimelineData();
    TimelineData(const TimelineData&) = delete;
    TimelineData& operator=(const TimelineData&) = delete;

    void setSelection(std::int32_t start, std::int32_t end);
    std::int32_t selectionStart() const { return selectionStart_; }
    std::int32_t selectionEnd() const { return selectionEnd_; }
    void setCursor(std::int32_t milliseconds) { cursor_ = milliseconds; }
    std::int32_t cursor() const { return cursor_; }

    // Starts a new timeline on a recording: empties every track, copies `source` to a private
    // working copy (prefix "wav" in the temporary folder). Returns 0 when the copy failed; the
    // tracks are emptied either way.
    bool setVoice(const std::filesystem::path& source, std::int32_t sampleCount);
    const std::filesystem::path& voiceFile() const { return voiceFile_; }
    std::int32_t sampleCount() const { return sampleCount_; }
    void setSampleCount(std::int32_t samples) { sampleCount_ = samples; }
    // Opens the working copy through `reader`; only 16 kHz mono 16-bit voices are accepted, and
    // the sample count becomes data bytes / 2. On failure the reader is closed again.
    bool openVoice(VoiceReader& reader);
    void closeVoice();
    // The next `bytes` bytes of samples, or an empty buffer on failure.
    std::vector<std::uint8_t> readSamples(std::size_t bytes);
    bool seekSamples(std::uint32_t byteOffset);
    const VoiceFormat& voiceFormat() const { return voiceFormat_; }
    // Closes the voice, frees the tracks, deletes the working copy.
    void release();

    TrackArray<VisemeItem>& visemes() { return visemes_; }
    TrackArray<ExpressionItem>& expressions() { return expressions_; }
    TrackArray<HeadTurnKey>& headTurns() { return headTurns_; }
    TrackArray<EventItem>& events() { return events_; }
    TrackArray<SoundItem>& sounds() { return sounds_; }
    const TrackArray<VisemeItem>& visemes() const { return visemes_; }
    const TrackArray<ExpressionItem>& expressions() const { return expressions_; }
    const TrackArray<HeadTurnKey>& headTurns() const { return headTurns_; }
    const TrackArray<EventItem>& events() const { return events_; }
    const TrackArray<SoundItem>& sounds() const { return sounds_; }

    // Inserts over the selection; the caller fills the payload. Nothing when the track cannot grow
    // or the selection is empty.
    VisemeItem* insertViseme();
    ExpressionItem* insertExpression();
    HeadTurnKey* insertHeadTurn();
    SoundItem* insertSound();
    // A point event at the selection start, after any events already there.
    EventItem* insertPointEvent(EventKind kind);
    // Replaces whatever events stand at the selection start by one event of `kind`.
    EventItem* replaceEventAtSelection(EventKind kind);

    bool deleteViseme(int i) { return visemes_.remove(i); }
    bool deleteExpression(int i) { return expressions_.remove(i); }
    bool deleteHeadTurn(int i);
    bool deleteSound(int i) { return sounds_.remove(i); }
    bool deleteEvent(int i);

    bool clearVisemes();
    bool clearExpressions();
    bool clearHeadTurns();
    bool clearSounds();
    bool clearEvents();

    void compactVisemes() { visemes_.compact(false); }
    void compactExpressions() { expressions_.compact(false); }
    void compactHeadTurns() { headTurns_.compact(true); }
    void compactSounds() { sounds_.compact(false); }

    std::int32_t eventCount(EventKind kind) const { return kindCounts_[kind]; }
    // Sets one kind's counter and the event count to the sum of the three.
    bool setEventCount(EventKind kind, std::int32_t n);
    EventItem* nthEvent(EventKind kind, std::int32_t n);

    int renameImageEvents(const std::string& from, const std::string& to);
    int deleteImageEvents(const std::string& name);
    int renameSounds(const std::string& from, const std::string& to);
    int deleteSounds(const std::string& name);

    // Empties all five tracks and the event counters.
    void clearTracks();
    // Brings the three event-kind counters in line with the event track (after records were
    // written directly, as undo does).
    void recountEvents();

    // Whoever edits the timeline says so once per edit; observers then redraw what `changes` names.
    // An observer must be removed before it is destroyed.
    void addObserver(TimelineObserver* observer);
    void removeObserver(TimelineObserver* observer);
    void notifyChanged(unsigned changes);

private:
    std::uint32_t selStart() const { return std::uint32_t(selectionStart_); }
    std::uint32_t selEnd() const { return std::uint32_t(selectionEnd_); }

    std::int32_t selectionStart_ = 0;
    std::int32_t selectionEnd_ = 0;
    std::int32_t cursor_ = 0;
    std::int32_t sampleCount_ = 0;
    std::filesystem::path voiceFile_;
    VoiceFormat voiceFormat_;
    VoiceReader* reader_ = nullptr;
    TrackArray<ExpressionItem> expressions_;
    TrackArray<VisemeItem> visemes_;
    TrackArray<HeadTurnKey> headTurns_;
    TrackArray<EventItem> events_;
    std::int32_t kindCounts_[3] = {0, 0, 0};
    TrackArray<SoundItem> sounds_;
    std::vector<TimelineObserver*> observers_;
};
