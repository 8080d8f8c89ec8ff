#pragma once

#include "timeline/TrackView.h"

#include <QColor>
#include <QFont>

#include <cstdint>
#include <functional>
#include <string>

class QPainter;
class TimelineData;
class WaveformPeaks;

// What the rows are drawn with, besides the timeline and the view.
struct TrackPaintStyle {
    QColor indicator{0x32, 0x32, 0xFF};   // "IndicatorColor" 0xFF3232 as 0x00BBGGRR
    QColor amplitude{0xCB, 0xB9, 0x9C};   // "AmplitudeColor" 0x9CB9CB
    QFont font;
    TrackHit active;
    // Length in samples of the clip of that name, 0 when unknown.
    std::function<std::int32_t(const std::string&)> clipLength;
};

// A colour option of the settings (0x00BBGGRR) as a colour.
QColor colorFromSetting(std::uint32_t bgr);

// Draws one row of the track window into the row picture; `samples` reads the voice for zooms
// finer than the peaks (it is given the first sample and the count and returns 16-bit samples).
void paintTrackRow(QPainter& painter, int row, const TimelineData& timeline, const TrackView& view,
                   const TrackPaintStyle& style, const WaveformPeaks* peaks,
                   const std::function<bool(std::int64_t, std::int64_t, std::vector<std::int16_t>&)>& samples);

// The selection, a pending drop and the drag target over the composed picture.
void paintSelection(QPainter& painter, const TimelineData& timeline, const TrackView& view,
                    const TrackPaintStyle& style, std::int64_t pendingDrop, int pendingRow);
