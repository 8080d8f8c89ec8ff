#pragma once

#include "timeline/TimeText.h"

#include <cstdint>
#include <string>

class TimelineData;

// Rows of the track window, top to bottom.
enum TrackRow : int {
    kRulerRow = 0,
    kWaveformRow = 1,
    kVisemeRow = 2,
    kExpressionRow = 3,
    kHeadTurnRow = 4,
    kEventRow = 5,
    kSoundRow = 6,
    kTrackRowCount = 7,
};

// Where on an item the pointer is.
enum HitPart : int { kNoPart = -1, kLeftEdge = 0, kBodyPart = 1, kRightEdge = 2 };

struct RowRect {
    int top = 0;
    int height = 0;
    int bottom() const { return top + height; }
    bool contains(int y) const { return y >= top && y < bottom(); }
};

// An item of a row: the row, its index in the row's track and the part under the pointer.
struct TrackHit {
    int row = -1;
    int index = -1;
    int part = kNoPart;
    bool valid() const { return row >= 0 && index >= 0; }
    bool operator==(const TrackHit&) const = default;
};

// The ruler's spacing at the current zoom.
struct RulerStep {
    std::int64_t stepMs = 1;       // N: milliseconds between major ticks
    int factor = 1;                // l: 1, 2, 5 or 10
    std::int64_t majorSamples = 16;
    std::int64_t minorSamples = 16;
    int decimals = 3;              // of the labels
};

// The geometry of the track window without the window: zoom, scrolling, the rows, time and pixel
// conversion, ruler spacing and labels, and hit testing of items.
class TrackView {
public:
    static constexpr int kDefaultSamplesPerPixel = 50;
    static constexpr int kEdgePixels = 2;
    static constexpr int kFlagWidth = 67;   // an event flag, outline included
    static constexpr int kFlagHitWidth = 64;
    static constexpr int kLinePixels = 16;  // one scroll line
    static constexpr int kEventBands = 4;

    explicit TrackView(const TimelineData& timeline) : timeline_(timeline) {}

    void setClientSize(int width, int height);
    int clientWidth() const { return width_; }
    int clientHeight() const { return height_; }
    RowRect row(int r) const;
    // The row at y, -1 outside every row.
    int rowAt(int y) const;
    RowRect eventBand(int band) const;
    int eventBandAt(int y) const;

    int samplesPerPixel() const { return samplesPerPixel_; }
    std::int64_t origin() const { return origin_; }
    bool fitted() const { return fit_; }
    std::int64_t timeAt(int x) const { return origin_ + std::int64_t(x) * samplesPerPixel_; }
    // The time under x, kept within the voice.
    std::int64_t clampedTimeAt(int x) const;
    int xOf(std::int64_t t) const;

    // 0 fits the voice, -1 fits the selection, anything else is samples per pixel.
    void zoom(int n);
    // Halves or doubles the samples per pixel, keeping the time under x where it is.
    void zoomAbout(int x, bool in);
    // True when the selection is wider than one sample and fitting it would give a zoom in [lo, hi].
    bool zoomInRange(int lo, int hi) const;

    bool scrollEnabled() const;
    int scrollPosition() const { return position_; }
    int scrollRange() const { return range_; }
    int scrollPage() const { return width_; }
    int scrollMaximum() const;
    // Moves to a position (clamped); the origin follows. Returns whether the origin changed.
    bool scrollTo(int position);
    bool scrollBy(int pixels) { return scrollTo(position_ + pixels); }
    bool lineLeft() { return scrollBy(-kLinePixels); }
    bool lineRight() { return scrollBy(kLinePixels); }
    bool pageLeft() { return scrollBy(-width_ / 2); }
    bool pageRight() { return scrollBy(width_ / 2); }
    // Recomputes the range after the voice or the client size changed; the position is clamped.
    void updateScroll();
    // Scrolls the least amount that brings t into view.
    bool scrollToShow(std::int64_t t);

    RulerStep rulerStep() const;
    std::string rulerLabel(std::int64_t samples) const;
    // 1 seconds, 2 minutes and seconds (the "UseMinuteUnit" option).
    void setTimeDisplayMode(int mode) { minutes_ = mode == 2; }
    int timeDisplayMode() const { return minutes_ ? 2 : 1; }
    TimeTextMode timeTextMode() const { return minutes_ ? TimeTextMode::Clock : TimeTextMode::Seconds; }

    // The item under (x, y). In rows 2, 3, 4 and 6 the active item wins over a neighbour it overlaps
    // on screen; events are tried from the last to the first and are always hit as bodies.
    TrackHit hitTest(int x, int y, const TrackHit& active) const;
    // The pixel span an item of a span row occupies.
    bool itemSpan(int row, int index, std::int64_t& start, std::int64_t& end) const;

private:
    int hitPart(int x, std::int64_t start, std::int64_t end) const;
    TrackHit hitSpanRow(int row, int x, const TrackHit& active) const;
    TrackHit hitEventRow(int x, int y) const;
    std::int64_t sampleCount() const;

    const TimelineData& timeline_;
    int width_ = 0;
    int height_ = 0;
    int samplesPerPixel_ = kDefaultSamplesPerPixel;
    std::int64_t origin_ = 0;
    int position_ = 0;
    int range_ = 0;
    bool fit_ = false;
    bool minutes_ = false;
};
