#include "timeline/TimelineUndo.h"

#include "timeline/TimelineObserver.h"

#include <cstring>
#include <utility>

namespace {

template <typename Item> bool sameRecords(const std::vector<Item>& a, const std::vector<Item>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Item)) == 0);
}

// Keeps only the tracks named by `tracks`, so that a step holds what it needs.
void keepOnly(TimelineState& state, unsigned tracks)
{
    if (!(tracks & kVisemesChanged))
        std::vector<VisemeItem>().swap(state.visemes);
    if (!(tracks & kExpressionsChanged))
        std::vector<ExpressionItem>().swap(state.expressions);
    if (!(tracks & kHeadTurnsChanged))
        std::vector<HeadTurnKey>().swap(state.headTurns);
    if (!(tracks & kEventsChanged))
        std::vector<EventItem>().swap(state.events);
    if (!(tracks & kSoundsChanged))
        std::vector<SoundItem>().swap(state.sounds);
}

std::size_t bytesOf(const TimelineState& state)
{
    return state.visemes.size() * sizeof(VisemeItem) + state.expressions.size() * sizeof(ExpressionItem) +
           state.headTurns.size() * sizeof(HeadTurnKey) + state.events.size() * sizeof(EventItem) +
           state.sounds.size() * sizeof(SoundItem);
}

} // namespace

TimelineState captureTimeline(const TimelineData& timeline)
{
    TimelineState state;
    state.visemes = timeline.visemes().records();
    state.expressions = timeline.expressions().records();
    state.headTurns = timeline.headTurns().records();
    state.events = timeline.events().records();
    state.sounds = timeline.sounds().records();
    state.selectionStart = timeline.selectionStart();
    state.selectionEnd = timeline.selectionEnd();
    return state;
}

bool restoreTimeline(const TimelineState& state, TimelineData& timeline)
{
    bool ok = timeline.visemes().assign(state.visemes);
    ok = timeline.expressions().assign(state.expressions) && ok;
    ok = timeline.headTurns().assign(state.headTurns) && ok;
    ok = timeline.events().assign(state.events) && ok;
    ok = timeline.sounds().assign(state.sounds) && ok;
    timeline.recountEvents();
    timeline.setSelection(state.selectionStart, state.selectionEnd);
    return ok;
}

unsigned differingTracks(const TimelineState& a, const TimelineState& b)
{
    unsigned tracks = 0;
    if (!sameRecords(a.visemes, b.visemes))
        tracks |= kVisemesChanged;
    if (!sameRecords(a.expressions, b.expressions))
        tracks |= kExpressionsChanged;
    if (!sameRecords(a.headTurns, b.headTurns))
        tracks |= kHeadTurnsChanged;
    if (!sameRecords(a.events, b.events))
        tracks |= kEventsChanged;
    if (!sameRecords(a.sounds, b.sounds))
        tracks |= kSoundsChanged;
    return tracks;
}

TimelineUndo::TimelineUndo(TimelineData& timeline, std::size_t budgetBytes)
    : timeline_(timeline), budget_(budgetBytes)
{
}

void TimelineUndo::begin(std::string name)
{
    open_ = OpenEdit{std::move(name), captureTimeline(timeline_)};
}

unsigned TimelineUndo::commit()
{
    if (!open_)
        return 0;
    Step step;
    step.name = std::move(open_->name);
    step.before = std::move(open_->before);
    open_.reset();
    step.after = captureTimeline(timeline_);
    step.tracks = differingTracks(step.before, step.after);
    if (step.tracks == 0)
        return 0;
    keepOnly(step.before, step.tracks);
    keepOnly(step.after, step.tracks);
    step.bytes = bytesOf(step.before) + bytesOf(step.after);
    steps_.resize(position_);
    if (cleanKnown_ && clean_ > position_)
        cleanKnown_ = false; // the clean point was a redo step that is gone now
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    const unsigned tracks = steps_.back().tracks;
    trimToBudget();
    return tracks;
}

unsigned TimelineUndo::apply(const TimelineState& from, unsigned tracks)
{
    // Only the step's tracks are written; the others stay as later edits may not have left them.
    TimelineState now = captureTimeline(timeline_);
    if (tracks & kVisemesChanged)
        now.visemes = from.visemes;
    if (tracks & kExpressionsChanged)
        now.expressions = from.expressions;
    if (tracks & kHeadTurnsChanged)
        now.headTurns = from.headTurns;
    if (tracks & kEventsChanged)
        now.events = from.events;
    if (tracks & kSoundsChanged)
        now.sounds = from.sounds;
    now.selectionStart = from.selectionStart;
    now.selectionEnd = from.selectionEnd;
    restoreTimeline(now, timeline_);
    return tracks;
}

unsigned TimelineUndo::undo()
{
    if (!canUndo())
        return 0;
    open_.reset();
    --position_;
    return apply(steps_[position_].before, steps_[position_].tracks);
}

unsigned TimelineUndo::redo()
{
    if (!canRedo())
        return 0;
    open_.reset();
    const Step& step = steps_[position_++];
    return apply(step.after, step.tracks);
}

void TimelineUndo::setClean()
{
    clean_ = position_;
    cleanKnown_ = true;
}

void TimelineUndo::clear()
{
    open_.reset();
    steps_.clear();
    position_ = 0;
    setClean();
}

void TimelineUndo::trimToBudget()
{
    std::size_t total = 0;
    for (const Step& step : steps_)
        total += step.bytes;
    std::size_t dropped = 0;
    // The newest step always stays, whatever its size.
    while (total > budget_ && dropped + 1 < steps_.size()) {
        total -= steps_[dropped].bytes;
        ++dropped;
    }
    if (dropped == 0)
        return;
    steps_.erase(steps_.begin(), steps_.begin() + std::ptrdiff_t(dropped));
    position_ -= dropped;
    if (clean_ < dropped)
        cleanKnown_ = false;
    else
        clean_ -= dropped;
}
