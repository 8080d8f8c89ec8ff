#pragma once

// What changed in a timeline, as a set of bits, so that a window redraws only the rows concerned.
enum TimelineChange : unsigned {
    kVisemesChanged = 1u << 0,
    kExpressionsChanged = 1u << 1,
    kHeadTurnsChanged = 1u << 2,
    kEventsChanged = 1u << 3,
    kSoundsChanged = 1u << 4,
    kSelectionChanged = 1u << 5,
    kVoiceChanged = 1u << 6,
    kCursorChanged = 1u << 7,
    kTracksChanged = kVisemesChanged | kExpressionsChanged | kHeadTurnsChanged | kEventsChanged | kSoundsChanged,
    kEverythingChanged = 0xFFu,
};

// Told by TimelineData::notifyChanged; called on the thread that made the change.
class TimelineObserver {
public:
    virtual ~TimelineObserver() = default;
    virtual void timelineChanged(unsigned changes) = 0;
};
