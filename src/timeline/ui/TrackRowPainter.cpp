#include "timeline/ui/TrackRowPainter.h"

#include "timeline/TimelineData.h"
#include "timeline/WaveformPeaks.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const QColor kButtonFace(240, 240, 240);
const QColor kTrackBackground(252, 252, 252);
const QColor kShadow(160, 160, 160);
const QColor kDarkShadow(105, 105, 105);
const QColor kHighlight(255, 255, 255);
const QColor kGrey(0x80, 0x80, 0x80);

struct EventColors {
    QColor normal;
    QColor selected;
};
const EventColors kEventColors[3] = {
    {QColor(255, 170, 190), QColor(255, 220, 225)},
    {QColor(250, 250, 160), QColor(255, 255, 200)},
    {QColor(180, 205, 255), QColor(220, 240, 255)},
};

QString fieldText(const char* field, std::size_t size)
{
    return QString::fromLatin1(field, int(strnlen(field, size)));
}

QString eventLabel(const EventItem& event, bool full)
{
    switch (event.kind) {
    case kScriptEvent: {
        const QString type = fieldText(event.script.type, sizeof event.script.type);
        const QString parameter = fieldText(event.script.parameter, sizeof event.script.parameter);
        return full && !parameter.isEmpty() ? type + " : " + parameter : type;
    }
    case kImageEvent:
        return QString::fromUtf8(event.name, int(strnlen(event.name, sizeof event.name)));
    default: {
        const QString name = QString::fromUtf8(event.name, int(strnlen(event.name, sizeof event.name)));
        return name.isEmpty() ? QStringLiteral("MARKER") : name;
    }
    }
}

void raisedEdge(QPainter& painter, const QRect& r)
{
    painter.setPen(kHighlight);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(kDarkShadow);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

// Visible items of a span track: [first, last] indices whose spans reach into the window.
template <typename Item> std::pair<int, int> visibleRange(const TrackArray<Item>& track, const TrackView& view)
{
    const auto& records = track.records();
    const std::int64_t from = view.origin();
    const std::int64_t to = view.timeAt(view.clientWidth() + 1);
    const auto first = std::lower_bound(records.begin(), records.end(), from,
                                        [](const Item& item, std::int64_t t) { return std::int64_t(item.end) <= t; });
    const auto last = std::lower_bound(first, records.end(), to,
                                       [](const Item& item, std::int64_t t) { return std::int64_t(item.start) < t; });
    return {int(first - records.begin()), int(last - records.begin())};
}

// Rectangles of a span row with a label in each that is wide enough. Items narrower than a pixel
// are drawn once per column, so a dense track at a wide zoom costs the width, not the item count.
template <typename Item, typename Label>
void paintSpans(QPainter& painter, const TrackArray<Item>& track, const TrackView& view, const RowRect& row,
                int rowIndex, const TrackPaintStyle& style, const QColor& fill, const QColor& edge, Label label)
{
    const auto [first, last] = visibleRange(track, view);
    const QFontMetrics metrics(style.font);
    int lastColumn = -1 << 30;
    for (int i = first; i < last; ++i) {
        const Item& item = *track.item(i);
        const int x0 = view.xOf(item.start);
        const int x1 = std::max(view.xOf(item.end), x0 + 1);
        if (x1 - 1 <= lastColumn)
            continue;
        lastColumn = x1 - 1;
        const bool active = style.active.row == rowIndex && style.active.index == i;
        const QRect box(x0, row.top + 2, x1 - x0, row.height - 4);
        painter.fillRect(box, active ? fill.darker(112) : fill);
        painter.setPen(active ? QPen(QColor(20, 20, 20), 1) : QPen(edge, 1));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        if (box.width() < 14)
            continue;
        // The label sits in the visible part of an item that runs off the window.
        const QRect inner = box.intersected(QRect(0, row.top, view.clientWidth(), row.height)).adjusted(3, 1, -3, -1);
        if (inner.width() < 8)
            continue;
        const QStringList lines = label(item);
        painter.setPen(Qt::black);
        if (lines.size() == 2 && inner.height() >= 2 * metrics.height()) {
            const QRect top(inner.left(), inner.top(), inner.width(), inner.height() / 2);
            const QRect bottom(inner.left(), inner.top() + inner.height() / 2, inner.width(), inner.height() / 2);
            painter.drawText(top, Qt::AlignCenter, metrics.elidedText(lines[0], Qt::ElideRight, inner.width()));
            painter.drawText(bottom, Qt::AlignCenter, metrics.elidedText(lines[1], Qt::ElideRight, inner.width()));
        } else {
            const QString text = lines.join(' ');
            const QString fitted = metrics.horizontalAdvance(text) <= inner.width()
                                       ? text
                                       : metrics.elidedText(lines[0], Qt::ElideRight, inner.width());
            painter.drawText(inner, Qt::AlignCenter, fitted);
        }
    }
}

void paintRuler(QPainter& painter, const TimelineData& timeline, const TrackView& view, const RowRect& row,
                const TrackPaintStyle& style)
{
    const int width = view.clientWidth();
    painter.fillRect(QRect(0, row.top, width, row.height), kButtonFace);
    painter.setPen(kShadow);
    painter.drawLine(0, row.bottom() - 1, width, row.bottom() - 1);
    const RulerStep step = view.rulerStep();
    painter.setFont(style.font);
    const std::int64_t end = std::min<std::int64_t>(view.timeAt(width + 1), std::max(timeline.sampleCount(), 0) + 1);
    std::int64_t minor = (view.origin() / step.minorSamples) * step.minorSamples;
    painter.setPen(Qt::black);
    for (; minor < end; minor += step.minorSamples) {
        const int x = view.xOf(minor);
        if (minor % step.majorSamples == 0) {
            painter.drawLine(x, row.top + 1, x, row.top + 7);
            painter.drawText(QPoint(x + 3, row.top + 5 + QFontMetrics(style.font).ascent()),
                             QString::fromStdString(view.rulerLabel(minor)));
        } else {
            painter.drawLine(x, row.top + 1, x, row.top + 2);
        }
    }
}

void paintWaveform(QPainter& painter, const TimelineData& timeline, const TrackView& view, const RowRect& row,
                   const TrackPaintStyle& style, const WaveformPeaks* peaks,
                   const std::function<bool(std::int64_t, std::int64_t, std::vector<std::int16_t>&)>& samples)
{
    const int width = view.clientWidth();
    painter.fillRect(QRect(0, row.top, width, row.height), Qt::black);
    // The grid continues the ruler's major ticks.
    const RulerStep step = view.rulerStep();
    painter.setPen(QColor(60, 60, 60));
    const std::int64_t total = std::max(timeline.sampleCount(), 0);
    for (std::int64_t t = (view.origin() / step.majorSamples) * step.majorSamples;
         t <= total && view.xOf(t) <= width; t += step.majorSamples)
        painter.drawLine(view.xOf(t), row.top, view.xOf(t), row.bottom() - 1);
    const int mid = row.top + row.height / 2;
    const int half = row.height / 2;
    painter.setPen(kGrey);
    painter.drawLine(0, mid, width, mid);
    const int perPixel = view.samplesPerPixel();
    const int columns = int(std::clamp<std::int64_t>((total - view.origin() + perPixel - 1) / perPixel, 0, width));
    if (columns <= 0)
        return;
    std::vector<QLine> lines;
    lines.reserve(size_t(columns));
    if (peaks && perPixel >= WaveformPeaks::kBlock && peaks->samples() == total) {
        for (int x = 0; x < columns; ++x) {
            int low = 0, high = 0;
            const std::int64_t t = view.timeAt(x);
            peaks->extremes(t, t + perPixel, low, high);
            lines.emplace_back(x, mid - ((half * high) >> 15), x, mid - ((half * low) >> 15));
        }
    } else {
        std::vector<std::int16_t> buffer;
        if (!samples || !samples(view.origin(), std::int64_t(columns) * perPixel, buffer))
            return;
        const int stride = perPixel / 64 + 1;
        for (int x = 0; x < columns; ++x) {
            int low = 0, high = 0;
            const size_t base = size_t(x) * size_t(perPixel);
            for (int i = 0; i < perPixel && base + size_t(i) < buffer.size(); i += stride) {
                low = std::min<int>(low, buffer[base + size_t(i)]);
                high = std::max<int>(high, buffer[base + size_t(i)]);
            }
            lines.emplace_back(x, mid - ((half * high) >> 15), x, mid - ((half * low) >> 15));
        }
    }
    painter.setPen(style.amplitude);
    painter.drawLines(lines.data(), int(lines.size()));
}

void paintHeadTurns(QPainter& painter, const TimelineData& timeline, const TrackView& view, const RowRect& row,
                    const TrackPaintStyle& style)
{
    const auto& track = timeline.headTurns();
    paintSpans(painter, track, view, row, kHeadTurnRow, style, QColor(248, 248, 248), QColor(222, 222, 222),
               [](const HeadTurnKey&) { return QStringList(); });
    const auto [first, last] = visibleRange(track, view);
    if (first >= last)
        return;
    const int mid = row.top + row.height / 2;
    const double scale = (row.height - 4) / 120.0;
    const QColor colours[3] = {colorFromSetting(0x5050C8), colorFromSetting(0x50C850), colorFromSetting(0xC85050)};
    for (int angle = 0; angle < 3; ++angle) {
        QPolygon line;
        line.reserve(2 * (last - first) + 2);
        const auto value = [&](const HeadTurnKey& key) {
            const int v = angle == 0 ? key.angle_a : angle == 1 ? key.angle_b : key.angle_c;
            return mid + int(scale * v);
        };
        const HeadTurnKey* previous = track.item(first - 1);
        line << QPoint(view.xOf(track.item(first)->start), previous ? value(*previous) : mid);
        int lastX = -1 << 30;
        for (int i = first; i < last; ++i) {
            const HeadTurnKey& key = *track.item(i);
            const int x = view.xOf(key.end);
            if (x == lastX && i + 1 < last)
                continue;
            lastX = x;
            line << QPoint(x, value(key));
        }
        // Two one-pixel lines a row apart: a wide pen's joins cost far more on a dense track.
        painter.setPen(QPen(colours[angle], 1));
        painter.drawPolyline(line);
        line.translate(0, 1);
        painter.drawPolyline(line);
    }
}

void paintEvents(QPainter& painter, const TimelineData& timeline, const TrackView& view, const RowRect& row,
                 const TrackPaintStyle& style)
{
    const QFontMetrics metrics(style.font);
    // The band lines show where each kind lives.
    painter.setPen(QColor(232, 232, 232));
    for (int band = 1; band < TrackView::kEventBands; ++band)
        painter.drawLine(0, view.eventBand(band).top, view.clientWidth(), view.eventBand(band).top);
    const auto& events = timeline.events().records();
    const std::int64_t from = view.timeAt(-TrackView::kFlagWidth);
    const std::int64_t to = view.timeAt(view.clientWidth() + 1);
    // Where the next flag of each band starts, so that a label stops before it rather than
    // vanishing under it.
    std::vector<int> nextInBand(events.size(), 1 << 30);
    int following[3] = {1 << 30, 1 << 30, 1 << 30};
    for (int i = int(events.size()) - 1; i >= 0; --i) {
        const int kind = events[size_t(i)].kind;
        if (kind < 0 || kind > 2)
            continue;
        nextInBand[size_t(i)] = following[kind];
        following[kind] = view.xOf(events[size_t(i)].start);
    }
    auto drawFlag = [&](int i, bool active) {
        const EventItem& event = events[size_t(i)];
        if (event.kind < 0 || event.kind > 2)
            return;
        const RowRect band = view.eventBand(event.kind);
        const int x = view.xOf(event.start);
        const bool selected = active && timeline.selectionStart() == std::int32_t(event.start);
        const QString text = eventLabel(event, active);
        int width = TrackView::kFlagWidth;
        if (active)
            width = std::max(width, metrics.horizontalAdvance(text) + 8);
        const QRect flag(x, band.top + 1, width, band.height - 1);
        painter.setPen(kDarkShadow);
        painter.drawLine(x, band.top, x, row.bottom() - 1);
        painter.fillRect(flag, selected ? kEventColors[event.kind].selected.darker(150) : kEventColors[event.kind].normal);
        painter.drawRect(flag.adjusted(0, 0, -1, -1));
        painter.setPen(selected ? Qt::white : Qt::black);
        const QRect inner = flag.adjusted(3, 0, -2, 0);
        const int room = std::min(TrackView::kFlagHitWidth, nextInBand[size_t(i)] - x) - 4;
        painter.drawText(inner, Qt::AlignVCenter | Qt::AlignLeft,
                         active ? text : metrics.elidedText(text, Qt::ElideRight, std::max(room, 0)));
        if (active) {
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.drawRect(flag.adjusted(1, 1, -2, -2));
        }
    };
    const int activeIndex = style.active.row == kEventRow ? style.active.index : -1;
    for (int i = 0; i < int(events.size()); ++i) {
        if (i == activeIndex || events[size_t(i)].start < from)
            continue;
        if (events[size_t(i)].start > to)
            break;
        drawFlag(i, false);
    }
    if (activeIndex >= 0 && activeIndex < int(events.size()))
        drawFlag(activeIndex, true);
}

void paintSounds(QPainter& painter, const TimelineData& timeline, const TrackView& view, const RowRect& row,
                 const TrackPaintStyle& style)
{
    const auto& track = timeline.sounds();
    paintSpans(painter, track, view, row, kSoundRow, style, QColor(214, 240, 214), QColor(90, 140, 90),
               [](const SoundItem& item) {
                   return QStringList{QString::fromUtf8(item.name, int(strnlen(item.name, sizeof item.name))),
                                      QString::number(item.volume) + '%'};
               });
    if (!style.clipLength)
        return;
    const auto [first, last] = visibleRange(track, view);
    painter.setPen(QPen(QColor(40, 90, 40), 1, Qt::DotLine));
    for (int i = first; i < last; ++i) {
        const SoundItem& item = *track.item(i);
        const std::int64_t length = style.clipLength(std::string(item.name, strnlen(item.name, sizeof item.name)));
        // A repeat closer than two pixels to the last would only blacken the item.
        if (length <= 0 || length < 2 * std::int64_t(view.samplesPerPixel()))
            continue;
        for (std::int64_t t = std::int64_t(item.start) + length; t < item.end; t += length) {
            const int x = view.xOf(t);
            if (x > view.clientWidth())
                break;
            painter.drawLine(x, row.top + 3, x, row.bottom() - 4);
        }
    }
}

} // namespace

QColor colorFromSetting(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void paintTrackRow(QPainter& painter, int rowIndex, const TimelineData& timeline, const TrackView& view,
                   const TrackPaintStyle& style, const WaveformPeaks* peaks,
                   const std::function<bool(std::int64_t, std::int64_t, std::vector<std::int16_t>&)>& samples)
{
    const RowRect row = view.row(rowIndex);
    const QRect area(0, row.top, view.clientWidth(), row.height);
    painter.save();
    painter.setClipRect(area);
    painter.setFont(style.font);
    if (rowIndex == kRulerRow) {
        paintRuler(painter, timeline, view, row, style);
    } else if (rowIndex == kWaveformRow) {
        paintWaveform(painter, timeline, view, row, style, peaks, samples);
    } else {
        painter.fillRect(area, kTrackBackground);
        switch (rowIndex) {
        case kVisemeRow:
            paintSpans(painter, timeline.visemes(), view, row, rowIndex, style, QColor(222, 234, 252),
                       QColor(100, 125, 170), [](const VisemeItem& item) {
                           return QStringList{fieldText(item.visemeShortName, sizeof item.visemeShortName),
                                              QString::number(item.weight) + '%'};
                       });
            break;
        case kExpressionRow:
            paintSpans(painter, timeline.expressions(), view, row, rowIndex, style, QColor(255, 232, 204),
                       QColor(175, 130, 80), [](const ExpressionItem& item) {
                           return QStringList{fieldText(item.name, sizeof item.name),
                                              QString::number(item.intensity) + '%'};
                       });
            break;
        case kHeadTurnRow:
            paintHeadTurns(painter, timeline, view, row, style);
            break;
        case kEventRow:
            paintEvents(painter, timeline, view, row, style);
            break;
        case kSoundRow:
            paintSounds(painter, timeline, view, row, style);
            break;
        default:
            break;
        }
        painter.setPen(kShadow);
        painter.drawLine(0, row.bottom() - 1, view.clientWidth(), row.bottom() - 1);
        if (style.active.valid() && style.active.row == rowIndex)
            raisedEdge(painter, area.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

void paintSelection(QPainter& painter, const TimelineData& timeline, const TrackView& view,
                    const TrackPaintStyle& style, std::int64_t pendingDrop, int pendingRow)
{
    const int height = view.row(kSoundRow).bottom();
    const int x0 = view.xOf(timeline.selectionStart());
    const int x1 = view.xOf(timeline.selectionEnd());
    if (x1 - x0 < 2) {
        if (x0 >= 0 && x0 <= view.clientWidth()) {
            painter.setPen(style.indicator);
            painter.drawLine(x0, 0, x0, height - 1);
        }
    } else {
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const int left = std::max(x0, -1);
        const int right = std::min(x1, view.clientWidth() + 1);
        painter.fillRect(QRect(left, 0, right - left, height), QColor(255, 255, 255));
        painter.restore();
    }
    if (pendingDrop >= 0) {
        const int x = view.xOf(pendingDrop);
        painter.setPen(QPen(style.indicator, 1, Qt::DotLine));
        painter.drawLine(x, 0, x, height - 1);
    } else if (pendingRow == kVisemeRow || pendingRow == kExpressionRow) {
        // The drag target: where the dropped viseme or expression will lie.
        const RowRect row = view.row(pendingRow);
        // Dashes over a white line, so that it shows on the inverted selection as on a plain row.
        const QRect target(x0 + 1, row.top + 2, std::max(x1 - x0 - 2, 1), row.height - 4);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(target);
        painter.setPen(QPen(style.indicator, 2, Qt::DashLine));
        painter.drawRect(target);
    }
}
