#pragma once

#include "timeline/TimelineData.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The records of the five tracks and the selection at one moment.
struct TimelineState {
    std::vector<VisemeItem> visemes;
    std::vector<ExpressionItem> expressions;
    std::vector<HeadTurnKey> headTurns;
    std::vector<EventItem> events;
    std::vector<SoundItem> sounds;
    std::int32_t selectionStart = 0;
    std::int32_t selectionEnd = 0;
};

TimelineState captureTimeline(const TimelineData& timeline);
// Writes the tracks and selection back; the event counters are recounted. False when a track could
// not grow (the timeline then holds what it could take).
bool restoreTimeline(const TimelineState& state, TimelineData& timeline);
// Which tracks (TimelineChange bits) differ between two states; the selection does not count.
unsigned differingTracks(const TimelineState& a, const TimelineState& b);

// Every edit of the tracks as a named step that can be taken back and done again. A step keeps
// only the tracks it changed, before and after, so a drag on a long viseme track does not copy the
// other four. The oldest steps go when the kept records pass a memory budget.
class TimelineUndo {
public:
    explicit TimelineUndo(TimelineData& timeline, std::size_t budgetBytes = 64u << 20);

    // Starts an edit: the tracks are captured as they are now. A begin while one is open restarts it.
    void begin(std::string name);
    bool isOpen() const { return open_.has_value(); }
    // Ends the edit: a step is kept when a track changed, and the redo steps are dropped. Returns
    // the changed tracks (0 when nothing changed and no step was kept).
    unsigned commit();
    void cancel() { open_.reset(); }

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    std::string undoName() const { return canUndo() ? steps_[position_ - 1].name : std::string(); }
    std::string redoName() const { return canRedo() ? steps_[position_].name : std::string(); }
    // Return the changed tracks, 0 when there was nothing to do.
    unsigned undo();
    unsigned redo();

    // The project's changed flag is the distance from the clean point.
    bool isClean() const { return cleanKnown_ && clean_ == position_; }
    void setClean();
    // Forgets every step (a new document); the timeline as it is now is clean.
    void clear();
    std::size_t stepCount() const { return steps_.size(); }

private:
    struct Step {
        std::string name;
        unsigned tracks = 0;
        TimelineState before;
        TimelineState after;
        std::size_t bytes = 0;
    };
    struct OpenEdit {
        std::string name;
        TimelineState before;
    };
    unsigned apply(const TimelineState& from, unsigned tracks);
    void trimToBudget();

    TimelineData& timeline_;
    std::size_t budget_;
    std::optional<OpenEdit> open_;
    std::vector<Step> steps_;
    std::size_t position_ = 0;
    std::size_t clean_ = 0;
    bool cleanKnown_ = true;
};
