#include "timeline/TrackInteraction.h"

#include "timeline/TimeText.h"
#include "timeline/TimelineObserver.h"

#include <algorithm>
#include <cstring>

namespace {

void copyText(char* field, std::size_t size, const std::string& text, std::size_t limit)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min({text.size(), size - 1, limit}));
}

template <typename Item> int indexOf(const TrackArray<Item>& track, const Item* item)
{
    return item ? int(item - track.records().data()) : -1;
}

// The name a status text shows for an item; head turns and events show none.
template <typename Item> std::string nameOf(const Item&)
{
    return {};
}
template <> std::string nameOf(const VisemeItem& item)
{
    return std::string(item.visemeShortName, strnlen(item.visemeShortName, sizeof item.visemeShortName));
}
template <> std::string nameOf(const ExpressionItem& item)
{
    return std::string(item.name, strnlen(item.name, sizeof item.name));
}
template <> std::string nameOf(const SoundItem& item)
{
    return std::string(item.name, strnlen(item.name, sizeof item.name));
}

} // namespace

unsigned changeOfRow(int row)
{
    switch (row) {
    case kVisemeRow:
        return kVisemesChanged;
    case kExpressionRow:
        return kExpressionsChanged;
    case kHeadTurnRow:
        return kHeadTurnsChanged;
    case kEventRow:
        return kEventsChanged;
    case kSoundRow:
        return kSoundsChanged;
    default:
        return 0;
    }
}

TrackInteraction::TrackInteraction(TimelineData& timeline, TrackView& view, TimelineUndo& undo)
    : timeline_(timeline), view_(view), undo_(undo)
{
}

void TrackInteraction::announce(unsigned changes)
{
    if (changes)
        timeline_.notifyChanged(changes);
}

template <typename Edit> bool TrackInteraction::edit(const char* name, unsigned changes, Edit&& apply)
{
    undo_.begin(name);
    const bool done = apply();
    const unsigned changed = undo_.commit();
    announce(changes | changed | kSelectionChanged);
    return done;
}

void TrackInteraction::setActive(const TrackHit& item)
{
    active_ = item;
    active_.part = kNoPart;
}

// ---- mouse -----------------------------------------------------------------------------------

void TrackInteraction::press(int x, int y)
{
    buttonDown_ = true;
    moved_ = false;
    hot_ = view_.hitTest(x, y, active_);
    if (!hot_.valid()) {
        dragging_ = false;
        selectionAnchor_ = view_.clampedTimeAt(x);
        timeline_.setSelection(std::int32_t(selectionAnchor_), std::int32_t(selectionAnchor_));
        status_ = selectionText();
        announce(kSelectionChanged);
        return;
    }
    std::int64_t start = 0, end = 0;
    view_.itemSpan(hot_.row, hot_.index, start, end);
    anchor_ = view_.timeAt(x) - start;
    dragging_ = true;
    // Whether a neighbour touches the item is decided once: an edge that reaches a neighbour during
    // the drag stops there rather than starting to push it.
    touchesPrevious_ = touchesNext_ = false;
    std::int64_t ps = 0, pe = 0, ns = 0, ne = 0;
    if (hot_.row != kEventRow && view_.itemSpan(hot_.row, hot_.index - 1, ps, pe))
        touchesPrevious_ = pe == start;
    if (hot_.row != kEventRow && view_.itemSpan(hot_.row, hot_.index + 1, ns, ne))
        touchesNext_ = ns == end;
    undo_.begin(hot_.part == kBodyPart ? "Move " + captions_.rows[hot_.row] : "Resize " + captions_.rows[hot_.row]);
}

void TrackInteraction::drag(int x, int y)
{
    (void)y;
    if (!buttonDown_)
        return;
    const int direction = autoScrollDirection(x);
    if (direction < 0)
        view_.lineLeft();
    else if (direction > 0)
        view_.lineRight();
    if (!dragging_) {
        const std::int64_t t = view_.clampedTimeAt(x);
        timeline_.setSelection(std::int32_t(std::min(t, selectionAnchor_)), std::int32_t(std::max(t, selectionAnchor_)));
        status_ = selectionText();
        announce(kSelectionChanged);
        return;
    }
    moved_ = true;
    dragItem(x);
    announce(changeOfRow(hot_.row) | (hot_.row == kEventRow ? unsigned(kSelectionChanged) : 0u));
}

template <typename Item> void TrackInteraction::dragSpan(TrackArray<Item>& track, int index, std::int64_t mouse)
{
    Item* item = track.item(index);
    if (!item)
        return;
    Item* previous = track.item(index - 1);
    Item* next = track.item(index + 1);
    const std::int64_t count = std::max<std::int64_t>(timeline_.sampleCount(), item->end);
    // Items keep at least one sample: an edge dragged onto the other would leave a dead record that
    // the compaction then deletes, losing the item.
    if (hot_.part == kLeftEdge) {
        std::int64_t lower = 0;
        if (previous)
            lower = touchesPrevious_ ? std::int64_t(previous->start) + 1 : std::int64_t(previous->end);
        const std::int64_t start = std::clamp<std::int64_t>(mouse, std::min<std::int64_t>(lower, item->end - 1), item->end - 1);
        item->start = std::uint32_t(start);
        item->length = item->end - item->start;
        if (previous && touchesPrevious_) {
            previous->end = item->start;
            previous->length = previous->end - previous->start;
        }
    } else if (hot_.part == kRightEdge) {
        std::int64_t upper = count;
        if (next)
            upper = touchesNext_ ? std::int64_t(next->end) - 1 : std::int64_t(next->start);
        const std::int64_t end = std::clamp<std::int64_t>(mouse, item->start + 1, std::max<std::int64_t>(upper, item->start + 1));
        item->end = std::uint32_t(end);
        item->length = item->end - item->start;
        if (next && touchesNext_) {
            next->start = item->end;
            next->length = next->end - next->start;
        }
    } else {
        const std::int64_t length = item->length;
        const std::int64_t lower = previous ? std::int64_t(previous->end) : 0;
        const std::int64_t upper = (next ? std::int64_t(next->start) : count) - length;
        std::int64_t start = mouse - anchor_;
        start = upper < lower ? item->start : std::clamp(start, lower, upper);
        item->start = std::uint32_t(start);
        item->end = std::uint32_t(start + length);
    }
}

void TrackInteraction::dragEvent(std::int64_t mouse)
{
    EventItem* event = timeline_.events().item(hot_.index);
    if (!event)
        return;
    const std::int64_t last = std::max<std::int64_t>(timeline_.sampleCount() - 1, 0);
    const std::int64_t start = std::clamp<std::int64_t>(mouse - anchor_, 0, last);
    event->start = std::uint32_t(start);
    event->end = event->start + 1;
    event->length = 1;
    timeline_.setSelection(std::int32_t(start), std::int32_t(start + 1));
}

void TrackInteraction::dragItem(int x)
{
    const std::int64_t mouse = view_.timeAt(x);
    switch (hot_.row) {
    case kVisemeRow:
        dragSpan(timeline_.visemes(), hot_.index, mouse);
        break;
    case kExpressionRow:
        dragSpan(timeline_.expressions(), hot_.index, mouse);
        break;
    case kHeadTurnRow:
        dragSpan(timeline_.headTurns(), hot_.index, mouse);
        break;
    case kSoundRow:
        dragSpan(timeline_.sounds(), hot_.index, mouse);
        break;
    case kEventRow:
        dragEvent(mouse);
        break;
    default:
        break;
    }
}

void TrackInteraction::finishDrag()
{
    switch (hot_.row) {
    case kVisemeRow:
        timeline_.compactVisemes();
        break;
    case kExpressionRow:
        timeline_.compactExpressions();
        break;
    case kHeadTurnRow:
        timeline_.compactHeadTurns();
        break;
    case kSoundRow:
        timeline_.compactSounds();
        break;
    case kEventRow: {
        // The moved flag goes back into time order, after the events already at its time.
        auto& events = timeline_.events().records();
        const EventItem moved = events[size_t(hot_.index)];
        events.erase(events.begin() + hot_.index);
        const int at = timeline_.events().lastStartingAtOrBefore(moved.start) + 1;
        events.insert(events.begin() + at, moved);
        hot_.index = at;
        break;
    }
    default:
        break;
    }
}

void TrackInteraction::release(int x, int y)
{
    (void)x;
    (void)y;
    if (!buttonDown_)
        return;
    buttonDown_ = false;
    if (!dragging_) {
        active_ = {};
        status_ = selectionText();
        announce(kSelectionChanged);
        return;
    }
    dragging_ = false;
    const TrackHit item = hot_;
    unsigned changed = 0;
    if (moved_) {
        finishDrag();
        changed = undo_.commit();
    } else {
        undo_.cancel();
    }
    // A clicked or moved item is the active one and the selection is its span. Drags stop at the
    // neighbours, so the compaction removes nothing and the index still names the item; a moved
    // event was put back in order and its index followed it.
    const TrackHit found = hot_;
    std::int64_t start = 0, end = 0;
    if (view_.itemSpan(found.row, found.index, start, end)) {
        setActive(found);
        timeline_.setSelection(std::int32_t(start), std::int32_t(end));
        status_ = itemText(found);
    }
    announce(changed | changeOfRow(item.row) | kSelectionChanged);
}

TrackCursor TrackInteraction::hover(int x, int y)
{
    hot_ = view_.hitTest(x, y, active_);
    if (!hot_.valid())
        return TrackCursor::arrow;
    return hot_.part == kBodyPart ? TrackCursor::move : TrackCursor::sizeLeftRight;
}

TrackHit TrackInteraction::doubleClick(int x, int y)
{
    const TrackHit hit = view_.hitTest(x, y, active_);
    std::int64_t start = 0, end = 0;
    if (!hit.valid() || !view_.itemSpan(hit.row, hit.index, start, end))
        return {};
    timeline_.setSelection(std::int32_t(start), std::int32_t(end));
    setActive(hit);
    status_ = itemText(hit);
    announce(kSelectionChanged);
    return active_;
}

int TrackInteraction::autoScrollDirection(int x) const
{
    if (!buttonDown_)
        return 0;
    return x < 0 ? -1 : x >= view_.clientWidth() ? 1 : 0;
}

// ---- drops -----------------------------------------------------------------------------------

bool TrackInteraction::insideSelection(std::int64_t t) const
{
    return t >= timeline_.selectionStart() && t < timeline_.selectionEnd();
}

bool TrackInteraction::selectionWiderThanPixel() const
{
    return std::int64_t(timeline_.selectionEnd()) - timeline_.selectionStart() > view_.samplesPerPixel();
}

bool TrackInteraction::dropViseme(int viseme, const std::string& shortName, int x, int y, bool testOnly)
{
    clearPendingDrop();
    if (view_.rowAt(y) != kVisemeRow || !insideSelection(view_.timeAt(x)) || !selectionWiderThanPixel())
        return false;
    if (testOnly)
        pendingRow_ = kVisemeRow;
    return testOnly || insertViseme(viseme, shortName, 50);
}

bool TrackInteraction::dropExpression(int expression, const std::string& name, int x, int y, bool testOnly)
{
    clearPendingDrop();
    if (view_.rowAt(y) != kExpressionRow || !insideSelection(view_.timeAt(x)) || !selectionWiderThanPixel())
        return false;
    if (testOnly)
        pendingRow_ = kExpressionRow;
    return testOnly || insertExpression(expression, name, 50);
}

bool TrackInteraction::dropImage(const std::string& name, int x, int y, bool testOnly)
{
    clearPendingDrop();
    if (view_.rowAt(y) != kEventRow || timeline_.sampleCount() <= 0)
        return false;
    const int inside = std::clamp(x, 0, std::max(view_.clientWidth() - 1, 0));
    const std::int64_t t = std::clamp<std::int64_t>(view_.timeAt(inside), 0, timeline_.sampleCount() - 1);
    for (const EventItem& event : timeline_.events().records())
        if (event.start == t)
            return false;
    if (testOnly) {
        // The selection collapses only on the real drop; while hovering the spot is shown instead,
        // so that a drag that is given up leaves the user's selection alone.
        pendingDrop_ = t;
        pendingRow_ = kEventRow;
        return true;
    }
    timeline_.setSelection(std::int32_t(t), std::int32_t(t));
    return insertImageEvent(name);
}

bool TrackInteraction::dropSound(const std::string& name, std::int32_t clipLength, int x, int y, bool testOnly)
{
    clearPendingDrop();
    if (view_.rowAt(y) != kSoundRow || timeline_.sampleCount() <= 0)
        return false;
    const std::int64_t t = view_.clampedTimeAt(x);
    std::int64_t start = t;
    std::int64_t end = std::min<std::int64_t>(t + std::max(clipLength, 0), timeline_.sampleCount());
    if (insideSelection(t)) {
        start = timeline_.selectionStart();
        end = timeline_.selectionEnd();
    }
    if (end <= start)
        return false;
    if (testOnly) {
        pendingDrop_ = t;
        pendingRow_ = kSoundRow;
        return true;
    }
    timeline_.setSelection(std::int32_t(start), std::int32_t(end));
    return insertSound(name, clipLength, 100);
}

// ---- commands --------------------------------------------------------------------------------

bool TrackInteraction::insertViseme(int viseme, const std::string& shortName, int weight)
{
    return edit("Insert viseme", kVisemesChanged, [&] {
        VisemeItem* item = timeline_.insertViseme();
        if (!item)
            return false;
        const VisemeItem span = *item;
        *item = VisemeItem{};
        item->start = span.start;
        item->end = span.end;
        item->length = span.length;
        item->viseme = std::uint16_t(viseme);
        item->phonemeCode = 255;
        item->level = 100;
        copyText(item->visemeShortName, sizeof item->visemeShortName, shortName, 15);
        item->weight = std::clamp(weight, 0, 100);
        setActive({kVisemeRow, indexOf(timeline_.visemes(), item)});
        return true;
    });
}

bool TrackInteraction::insertExpression(int expression, const std::string& name, int intensity)
{
    return edit("Insert expression", kExpressionsChanged, [&] {
        ExpressionItem* item = timeline_.insertExpression();
        if (!item)
            return false;
        item->expression = std::uint32_t(std::clamp(expression, 0, 6));
        copyText(item->name, sizeof item->name, name, 14);
        item->intensity = std::clamp(intensity, 0, 100);
        setActive({kExpressionRow, indexOf(timeline_.expressions(), item)});
        return true;
    });
}

bool TrackInteraction::insertHeadTurn(int angleA, int angleB, int angleC)
{
    return edit("Insert head turn", kHeadTurnsChanged, [&] {
        HeadTurnKey* item = timeline_.insertHeadTurn();
        if (!item)
            return false;
        item->angle_a = std::clamp(angleA, -60, 60);
        item->angle_b = std::clamp(angleB, -60, 60);
        item->angle_c = std::clamp(angleC, -60, 60);
        std::memset(item->name, 0, sizeof item->name);
        setActive({kHeadTurnRow, indexOf(timeline_.headTurns(), item)});
        return true;
    });
}

bool TrackInteraction::insertSound(const std::string& name, std::int32_t clipLength, int volume)
{
    return edit("Insert sound", kSoundsChanged, [&] {
        const std::int64_t s = timeline_.selectionStart();
        if (std::int64_t(timeline_.selectionEnd()) - s <= 1) {
            const std::int64_t end = std::min<std::int64_t>(s + std::max(clipLength, 0), timeline_.sampleCount());
            if (end <= s)
                return false;
            timeline_.setSelection(std::int32_t(s), std::int32_t(end));
        }
        SoundItem* item = timeline_.insertSound();
        if (!item)
            return false;
        item->extra = 0;
        copyText(item->name, sizeof item->name, name, 255);
        item->volume = std::clamp(volume, 0, 100);
        setActive({kSoundRow, indexOf(timeline_.sounds(), item)});
        return true;
    });
}

bool TrackInteraction::insertScript(std::uint32_t choice, const std::string& type, const std::string& parameter)
{
    return edit("Insert script command", kEventsChanged, [&] {
        EventItem* item = timeline_.insertPointEvent(kScriptEvent);
        if (!item)
            return false;
        std::memset(&item->script, 0, sizeof item->script);
        item->script.choice = choice;
        copyText(item->script.type, sizeof item->script.type, type, 15);
        copyText(item->script.parameter, sizeof item->script.parameter, parameter, 511);
        setActive({kEventRow, indexOf(timeline_.events(), item)});
        return true;
    });
}

bool TrackInteraction::insertImageEvent(const std::string& name)
{
    return edit("Insert background image", kEventsChanged, [&] {
        EventItem* item = timeline_.insertPointEvent(kImageEvent);
        if (!item)
            return false;
        copyText(item->name, sizeof item->name, name, 255);
        setActive({kEventRow, indexOf(timeline_.events(), item)});
        return true;
    });
}

bool TrackInteraction::insertMarker(const std::string& name)
{
    return edit("Insert marker", kEventsChanged, [&] {
        EventItem* item = timeline_.insertPointEvent(kMarkerEvent);
        if (!item)
            return false;
        copyText(item->name, sizeof item->name, name, 255);
        setActive({kEventRow, indexOf(timeline_.events(), item)});
        return true;
    });
}

bool TrackInteraction::editActiveScript(std::uint32_t choice, const std::string& type, const std::string& parameter)
{
    EventItem* item = active_.row == kEventRow ? timeline_.events().item(active_.index) : nullptr;
    if (!item || item->kind != kScriptEvent)
        return false;
    return edit("Edit script command", kEventsChanged, [&] {
        std::memset(&item->script, 0, sizeof item->script);
        item->script.choice = choice;
        copyText(item->script.type, sizeof item->script.type, type, 15);
        copyText(item->script.parameter, sizeof item->script.parameter, parameter, 511);
        return true;
    });
}

bool TrackInteraction::editActiveEventName(const std::string& name)
{
    EventItem* item = active_.row == kEventRow ? timeline_.events().item(active_.index) : nullptr;
    if (!item || item->kind == kScriptEvent)
        return false;
    return edit("Edit event", kEventsChanged, [&] {
        copyText(item->name, sizeof item->name, name, 255);
        return true;
    });
}

bool TrackInteraction::deleteOnRow(int row)
{
    const bool holdsActive = rowHoldsActive(row);
    const int index = active_.index;
    const bool done = edit("Delete", changeOfRow(row), [&] {
        if (holdsActive) {
            switch (row) {
            case kVisemeRow:
                return timeline_.deleteViseme(index);
            case kExpressionRow:
                return timeline_.deleteExpression(index);
            case kHeadTurnRow:
                return timeline_.deleteHeadTurn(index);
            case kEventRow:
                return timeline_.deleteEvent(index);
            case kSoundRow:
                return timeline_.deleteSound(index);
            default:
                return false;
            }
        }
        switch (row) {
        case kVisemeRow:
            return timeline_.clearVisemes();
        case kExpressionRow:
            return timeline_.clearExpressions();
        case kHeadTurnRow:
            return timeline_.clearHeadTurns();
        case kEventRow:
            return timeline_.clearEvents();
        case kSoundRow:
            return timeline_.clearSounds();
        default:
            return false;
        }
    });
    if (holdsActive)
        active_ = {};
    return done;
}

bool TrackInteraction::removeAllOnRow(int row)
{
    const bool done = edit("Remove all", changeOfRow(row), [&] {
        switch (row) {
        case kVisemeRow:
            timeline_.visemes().clear();
            return true;
        case kExpressionRow:
            timeline_.expressions().clear();
            return true;
        case kHeadTurnRow:
            timeline_.headTurns().clear();
            return true;
        case kSoundRow:
            timeline_.sounds().clear();
            return true;
        case kEventRow:
            timeline_.events().clear();
            timeline_.recountEvents();
            return true;
        default:
            return false;
        }
    });
    if (active_.row == row)
        active_ = {};
    return done;
}

bool TrackInteraction::removeAllEvents(EventKind kind)
{
    const bool done = edit("Remove all events", kEventsChanged, [&] {
        for (int i = timeline_.events().count() - 1; i >= 0; --i)
            if (timeline_.events().item(i)->kind == kind)
                timeline_.deleteEvent(i);
        return true;
    });
    if (active_.row == kEventRow)
        active_ = {};
    return done;
}

bool TrackInteraction::deleteActive()
{
    return active_.valid() && deleteOnRow(active_.row);
}

bool TrackInteraction::moveSelection(int direction)
{
    const std::int64_t s = timeline_.selectionStart();
    const std::int64_t width = std::int64_t(timeline_.selectionEnd()) - s;
    const std::int64_t last = std::max<std::int64_t>(0, timeline_.sampleCount() - width);
    const std::int64_t moved = std::clamp<std::int64_t>(s + direction * kFrameSamples, 0, last);
    if (moved == s)
        return false;
    timeline_.setSelection(std::int32_t(moved), std::int32_t(moved + width));
    view_.scrollToShow(moved);
    status_ = selectionText();
    announce(kSelectionChanged);
    return true;
}

bool TrackInteraction::renameImage(const std::string& from, const std::string& to)
{
    return edit("Rename background image", kEventsChanged, [&] { return timeline_.renameImageEvents(from, to) >= 0; });
}

bool TrackInteraction::removeImage(const std::string& name)
{
    active_ = active_.row == kEventRow ? TrackHit{} : active_;
    return edit("Remove background image", kEventsChanged, [&] { return timeline_.deleteImageEvents(name) >= 0; });
}

bool TrackInteraction::renameSound(const std::string& from, const std::string& to)
{
    return edit("Rename sound clip", kSoundsChanged, [&] { return timeline_.renameSounds(from, to) >= 0; });
}

bool TrackInteraction::removeSound(const std::string& name)
{
    active_ = active_.row == kSoundRow ? TrackHit{} : active_;
    return edit("Remove sound clip", kSoundsChanged, [&] { return timeline_.deleteSounds(name) >= 0; });
}

bool TrackInteraction::undo()
{
    const unsigned changed = undo_.undo();
    if (!changed)
        return false;
    active_ = hot_ = {};
    announce(changed | kSelectionChanged);
    return true;
}

bool TrackInteraction::redo()
{
    const unsigned changed = undo_.redo();
    if (!changed)
        return false;
    active_ = hot_ = {};
    announce(changed | kSelectionChanged);
    return true;
}

// ---- status texts ----------------------------------------------------------------------------

std::string TrackInteraction::selectionText() const
{
    const TimeTextMode mode = view_.timeTextMode();
    return captions_.start + ": " + timeText(timeline_.selectionStart(), mode) + "  " + captions_.end + ": " +
           timeText(timeline_.selectionEnd(), mode);
}

std::string TrackInteraction::itemText(const TrackHit& item) const
{
    std::int64_t start = 0, end = 0;
    if (!view_.itemSpan(item.row, item.index, start, end))
        return {};
    const TimeTextMode mode = view_.timeTextMode();
    const std::string times = captions_.start + ": " + timeText(start, mode) + "  " + captions_.end + ": " +
                              timeText(end, mode);
    std::string name;
    switch (item.row) {
    case kVisemeRow:
        name = nameOf(*timeline_.visemes().item(item.index));
        break;
    case kExpressionRow:
        name = nameOf(*timeline_.expressions().item(item.index));
        break;
    case kSoundRow:
        name = nameOf(*timeline_.sounds().item(item.index));
        break;
    default:
        return captions_.rows[item.row] + ":  " + times;
    }
    return captions_.rows[item.row] + ": " + name + "  " + times;
}
