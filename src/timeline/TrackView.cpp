#include "timeline/TrackView.h"

#include "timeline/TimelineData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Fixed row heights; the waveform takes what is left, but never less than kMinWaveform.
constexpr int kRowHeights[kTrackRowCount] = {18, 0, 26, 26, 40, 4 * 14, 32};
constexpr int kMinWaveform = 24;

std::int64_t ceilDiv(std::int64_t a, std::int64_t b)
{
    return b <= 0 ? 0 : (a + b - 1) / b;
}

template <typename Item> bool spanOf(const TrackArray<Item>& track, int index, std::int64_t& start, std::int64_t& end)
{
    const Item* item = track.item(index);
    if (!item)
        return false;
    start = item->start;
    end = item->end;
    return true;
}

// First index whose end is at or after t; items of a span track are sorted and do not overlap, so
// their ends are sorted too.
template <typename Item> int firstEndingAtOrAfter(const TrackArray<Item>& track, std::int64_t t)
{
    const auto& records = track.records();
    const auto found = std::lower_bound(records.begin(), records.end(), t,
                                        [](const Item& item, std::int64_t time) { return std::int64_t(item.end) < time; });
    return int(found - records.begin());
}

} // namespace

void TrackView::setClientSize(int width, int height)
{
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    updateScroll();
}

RowRect TrackView::row(int r) const
{
    if (r < 0 || r >= kTrackRowCount)
        return {};
    int fixed = 0;
    for (int height : kRowHeights)
        fixed += height;
    const int waveform = std::max(kMinWaveform, height_ - fixed);
    RowRect rect;
    for (int i = 0; i <= r; ++i) {
        rect.top += i > 0 ? rect.height : 0;
        rect.height = i == kWaveformRow ? waveform : kRowHeights[i];
    }
    return rect;
}

int TrackView::rowAt(int y) const
{
    for (int r = 0; r < kTrackRowCount; ++r)
        if (row(r).contains(y))
            return r;
    return -1;
}

RowRect TrackView::eventBand(int band) const
{
    const RowRect events = row(kEventRow);
    if (band < 0 || band >= kEventBands)
        return {};
    const int height = events.height / kEventBands;
    return {events.top + band * height, height};
}

int TrackView::eventBandAt(int y) const
{
    for (int band = 0; band < kEventBands; ++band)
        if (eventBand(band).contains(y))
            return band;
    return -1;
}

std::int64_t TrackView::sampleCount() const
{
    return std::max<std::int64_t>(timeline_.sampleCount(), 0);
}

std::int64_t TrackView::clampedTimeAt(int x) const
{
    return std::clamp<std::int64_t>(timeAt(x), 0, sampleCount());
}

int TrackView::xOf(std::int64_t t) const
{
    const std::int64_t offset = t - origin_;
    // Floor division, so that times left of the origin map left of x = 0 rather than onto it.
    std::int64_t x = offset / samplesPerPixel_;
    if (offset % samplesPerPixel_ != 0 && offset < 0)
        --x;
    return int(std::clamp<std::int64_t>(x, -(1 << 30), 1 << 30));
}

void TrackView::zoom(int n)
{
    const std::int64_t width = std::max(width_, 1);
    std::int64_t perPixel = n;
    fit_ = false;
    if (n == 0) {
        perPixel = ceilDiv(sampleCount(), width);
        fit_ = true;
        origin_ = 0;
    } else if (n == -1) {
        const std::int64_t s = timeline_.selectionStart();
        perPixel = ceilDiv(timeline_.selectionEnd() - s, width);
        origin_ = s;
    }
    if (perPixel <= 0 || perPixel > (1 << 30))
        perPixel = kDefaultSamplesPerPixel;
    samplesPerPixel_ = int(perPixel);
    position_ = int(origin_ / samplesPerPixel_);
    updateScroll();
}

void TrackView::zoomAbout(int x, bool in)
{
    const std::int64_t anchor = timeAt(x);
    std::int64_t perPixel = in ? samplesPerPixel_ / 2 : std::int64_t(samplesPerPixel_) * 2;
    // Zooming out stops once the whole voice fits; zooming in stops at one sample per pixel.
    const std::int64_t fitAll = std::max<std::int64_t>(1, ceilDiv(sampleCount(), std::max(width_, 1)));
    perPixel = std::clamp<std::int64_t>(perPixel, 1, std::max<std::int64_t>(fitAll, samplesPerPixel_));
    fit_ = perPixel == fitAll && !in;
    samplesPerPixel_ = int(perPixel);
    const std::int64_t wanted = std::max<std::int64_t>(0, anchor - std::int64_t(x) * samplesPerPixel_);
    position_ = int(wanted / samplesPerPixel_);
    updateScroll();
}

bool TrackView::zoomInRange(int lo, int hi) const
{
    const std::int64_t width = std::int64_t(timeline_.selectionEnd()) - timeline_.selectionStart();
    if (width <= 1)
        return false;
    const std::int64_t perPixel = ceilDiv(width, std::max(width_, 1));
    return perPixel >= lo && perPixel <= hi;
}

bool TrackView::scrollEnabled() const
{
    return sampleCount() > 0;
}

int TrackView::scrollMaximum() const
{
    return std::max(0, range_ - width_);
}

bool TrackView::scrollTo(int position)
{
    const std::int64_t before = origin_;
    position_ = std::clamp(position, 0, scrollMaximum());
    origin_ = std::int64_t(samplesPerPixel_) * position_;
    return origin_ != before;
}

void TrackView::updateScroll()
{
    range_ = int(std::min<std::int64_t>(sampleCount() / samplesPerPixel_, 1 << 30));
    if (!scrollEnabled())
        range_ = 0;
    scrollTo(position_);
}

bool TrackView::scrollToShow(std::int64_t t)
{
    const int x = xOf(t);
    if (x < 0)
        return scrollBy(x);
    if (x >= width_)
        return scrollBy(x - width_ + 1);
    return false;
}

RulerStep TrackView::rulerStep() const
{
    RulerStep step;
    const double target = 3.0 * samplesPerPixel_;
    const int exponent = int(std::floor(std::log10(target)));
    std::int64_t g = 1;
    for (int i = 0; i < exponent; ++i)
        g *= 10;
    const double h = target / double(g);
    int l = 10;
    for (int candidate : {1, 2, 5, 10})
        if (candidate >= h) {
            l = candidate;
            break;
        }
    if (l == 2 && g == 1)
        l = 5;
    step.factor = l;
    step.stepMs = g * l;
    step.majorSamples = 16 * step.stepMs;
    const std::int64_t majorPixels = step.majorSamples / samplesPerPixel_;
    step.minorSamples = step.majorSamples / (l == 2 && majorPixels > 56 ? 10 : 5);
    step.decimals = std::max(0, 3 - int(std::floor(std::log10(double(step.stepMs)))));
    return step;
}

std::string TrackView::rulerLabel(std::int64_t samples) const
{
    const int m = rulerStep().decimals;
    const double seconds = double(samples) / 16000.0;
    char format[32];
    char text[64];
    if (!minutes_) {
        std::snprintf(format, sizeof format, "%%.%df", m);
        std::snprintf(text, sizeof text, format, seconds);
        return text;
    }
    const int minutes = int(seconds / 60);
    const double rest = seconds - 60.0 * minutes;
    if (m > 0)
        std::snprintf(format, sizeof format, "%%d:%%0%d.%df", m + 3, m);
    else
        std::snprintf(format, sizeof format, "%%d:%%02.0f");
    std::snprintf(text, sizeof text, format, minutes, rest);
    return text;
}

bool TrackView::itemSpan(int r, int index, std::int64_t& start, std::int64_t& end) const
{
    switch (r) {
    case kVisemeRow:
        return spanOf(timeline_.visemes(), index, start, end);
    case kExpressionRow:
        return spanOf(timeline_.expressions(), index, start, end);
    case kHeadTurnRow:
        return spanOf(timeline_.headTurns(), index, start, end);
    case kEventRow:
        return spanOf(timeline_.events(), index, start, end);
    case kSoundRow:
        return spanOf(timeline_.sounds(), index, start, end);
    default:
        return false;
    }
}

int TrackView::hitPart(int x, std::int64_t start, std::int64_t end) const
{
    const int x0 = xOf(start);
    const int x1 = xOf(end);
    const bool nearStart = std::abs(x - x0) <= kEdgePixels;
    const bool nearEnd = std::abs(x - x1) <= kEdgePixels;
    // An item narrower than its two edges offers the edge on the pointer's side, so both stay
    // reachable at any zoom.
    if (nearStart && nearEnd)
        return 2 * x > x0 + x1 ? kRightEdge : kLeftEdge;
    if (nearStart)
        return kLeftEdge;
    if (nearEnd)
        return kRightEdge;
    return x > x0 && x < x1 ? kBodyPart : kNoPart;
}

TrackHit TrackView::hitSpanRow(int r, int x, const TrackHit& active) const
{
    const std::int64_t from = timeAt(x - kEdgePixels - 1);
    int first = 0;
    int count = 0;
    switch (r) {
    case kVisemeRow:
        first = firstEndingAtOrAfter(timeline_.visemes(), from);
        count = timeline_.visemes().count();
        break;
    case kExpressionRow:
        first = firstEndingAtOrAfter(timeline_.expressions(), from);
        count = timeline_.expressions().count();
        break;
    case kHeadTurnRow:
        first = firstEndingAtOrAfter(timeline_.headTurns(), from);
        count = timeline_.headTurns().count();
        break;
    case kSoundRow:
        first = firstEndingAtOrAfter(timeline_.sounds(), from);
        count = timeline_.sounds().count();
        break;
    default:
        return {};
    }
    TrackHit found;
    for (int i = std::max(0, first - 1); i < count; ++i) {
        std::int64_t s = 0, e = 0;
        itemSpan(r, i, s, e);
        if (xOf(s) - kEdgePixels > x)
            break;
        const int part = hitPart(x, s, e);
        if (part != kNoPart) {
            found = {r, i, part};
            break;
        }
    }
    if (found.valid() && active.row == r && active.index != found.index) {
        std::int64_t s = 0, e = 0;
        if (itemSpan(r, active.index, s, e)) {
            const int part = hitPart(x, s, e);
            if (part != kNoPart)
                return {r, active.index, part};
        }
    }
    return found;
}

TrackHit TrackView::hitEventRow(int x, int y) const
{
    const int band = eventBandAt(y);
    if (band < 0)
        return {};
    const auto& events = timeline_.events().records();
    for (int i = int(events.size()) - 1; i >= 0; --i) {
        const EventItem& event = events[size_t(i)];
        if (event.kind != band)
            continue;
        const int x0 = xOf(event.start);
        if (x >= x0 - kEdgePixels && x <= x0 + kFlagHitWidth + kEdgePixels)
            return {kEventRow, i, kBodyPart};
    }
    return {};
}

TrackHit TrackView::hitTest(int x, int y, const TrackHit& active) const
{
    const int r = rowAt(y);
    if (r == kEventRow)
        return hitEventRow(x, y);
    if (r == kVisemeRow || r == kExpressionRow || r == kHeadTurnRow || r == kSoundRow)
        return hitSpanRow(r, x, active);
    return {};
}
