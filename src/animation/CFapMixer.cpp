#include "animation/CFapMixer.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr size_t kFirstLowLevelFap = 2;
constexpr size_t kVisemeEntry = 0;
constexpr size_t kExpressionEntry = 1;
constexpr size_t kPitchEntry = 47;
constexpr size_t kYawEntry = 48;
constexpr size_t kRollEntry = 49;

// Saturates instead of wrapping when a very long event would pass the end of the 32-bit clock.
uint32_t endOf(uint32_t start, uint32_t duration)
{
    uint64_t end = uint64_t{start} + duration;
    return end > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(end);
}

// Times are widened so that sums and differences can neither wrap nor go negative unnoticed.
int64_t midpoint(const FapEvent& event)
{
    return (int64_t{event.start} + int64_t{event.end}) / 2;
}

// How far `elapsed` is through a fade of `length`, at most 1; an empty or inverted fade is finished.
double progress(int64_t elapsed, int64_t length)
{
    if (length <= 0)
        return 1.0;
    return std::min(1.0, static_cast<double>(elapsed) / static_cast<double>(length));
}

double easeIn(double x)
{
    return 3.0 * x * x - 2.0 * x * x * x;
}

double easeOut(double y)
{
    return 2.0 * y * y * y - 3.0 * y * y + 1.0;
}

// Truncation toward zero that saturates rather than overflowing for extreme rows or angles.
int truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

double strength(uint32_t intensity)
{
    return static_cast<double>(intensity) / CFapMixer::kMaxIntensity;
}

int packedWord(uint32_t currentRow, uint32_t nextRow, double currentWeight, double nextWeight)
{
    uint32_t current = static_cast<uint32_t>(truncToInt(CFapMixer::kMaxIntensity * currentWeight)) & 0xFF;
    uint32_t next = static_cast<uint32_t>(truncToInt(CFapMixer::kMaxIntensity * nextWeight)) & 0xFF;
    uint32_t word = (currentRow & 0xFF) << 24 | (nextRow & 0xFF) << 16 | current << 8 | next;
    return static_cast<int>(word);
}

} // namespace

CFapMixer::CFapMixer(const std::filesystem::path& expressionsFolder)
    : CFapMixer(loadExpressionRows(expressionsFolder))
{
}

CFapMixer::CFapMixer(const ExpressionRows& expressionRows)
{
    buildTables(expressionRows);
    clear();
}

void CFapMixer::buildTables(const ExpressionRows& expressionRows)
{
    expressionTable_ = expressionRows;
    expressionTable_[0].fill(0);
    for (int row = 0; row < kVisemeRowCount; ++row) {
        const FapRow& stored = storedVisemeRow(row);
        FapRow& doubled = visemeTable_[static_cast<size_t>(row)];
        std::transform(stored.begin(), stored.end(), doubled.begin(), [](int value) { return 2 * value; });
    }
    blinkTable_[0].fill(0);
    blinkTable_[1] = blinkRow();
}

int CFapMixer::addToQueue(FapQueue& queue, int row, int maxRow, int intensity, uint32_t start,
                          uint32_t duration)
{
    FapEvent event;
    event.start = start;
    event.end = endOf(start, duration);
    event.row = static_cast<uint32_t>(std::clamp(row, 0, maxRow));
    // Kept within 0-63 so the weight fits its byte of the packed word.
    event.intensity = static_cast<uint32_t>(std::clamp<int>(intensity, 0, kMaxIntensity));
    std::lock_guard guard(lock_);
    queue.pending.push_back(event);
    return 1;
}

int CFapMixer::addExpression(int row, int intensity, uint32_t start, uint32_t duration)
{
    return addToQueue(expressions_, row, kExpressionRowCount - 1, intensity, start, duration);
}

int CFapMixer::addViseme(int row, int intensity, uint32_t start, uint32_t duration)
{
    return addToQueue(visemes_, row, kVisemeRowCount - 1, intensity, start, duration);
}

int CFapMixer::addBlink(int row, int intensity, uint32_t start, uint32_t duration)
{
    return addToQueue(blinks_, row, kBlinkRowCount - 1, intensity, start, duration);
}

int CFapMixer::addHeadTurn(int pitch, int yaw, int roll, uint32_t start, uint32_t duration)
{
    HeadTurnEvent event{start, endOf(start, duration), pitch, yaw, roll};
    std::lock_guard guard(lock_);
    headTurns_.pending.push_back(event);
    return 1;
}

void CFapMixer::clear()
{
    std::lock_guard guard(lock_);
    for (FapQueue* queue : {&expressions_, &visemes_, &blinks_}) {
        queue->pending.clear();
        queue->current = FapEvent{};
    }
    headTurns_.pending.clear();
    headTurns_.current = HeadTurnEvent{};
    setClock(0);
}

int CFapMixer::isEmpty() const
{
    std::lock_guard guard(lock_);
    return expressions_.pending.empty() && visemes_.pending.empty() && blinks_.pending.empty() &&
           headTurns_.pending.empty();
}

void CFapMixer::advanceClock(int32_t delta)
{
    // Modular, like the unsigned clock itself.
    setClock(clock() + static_cast<uint32_t>(delta));
}

int CFapMixer::computeFrame(FapFrame& frame)
{
    uint32_t c = clock();
    frame.fill(0);
    blendQueue(expressions_, kExpressionFade, expressionTable_.data(), &frame[kExpressionEntry], frame, c);
    blendQueue(visemes_, 0, visemeTable_.data(), &frame[kVisemeEntry], frame, c);
    blendQueue(blinks_, kBlinkFade, blinkTable_.data(), nullptr, frame, c);
    blendHeadTurn(frame, c);
    return isEmpty() ? 0 : 1;
}

// The current event fades out while the front of the queue fades in; an event becomes current once
// the clock passes its midpoint.
void CFapMixer::blendQueue(FapQueue& queue, uint32_t fade, const FapRow* table, int* packedEntry,
                           FapFrame& frame, uint32_t clockMs)
{
    std::lock_guard guard(lock_);
    const int64_t c = clockMs;
    while (!queue.pending.empty() && midpoint(queue.pending.front()) < c) {
        queue.current = queue.pending.front();
        queue.pending.pop_front();
    }
    const FapEvent& current = queue.current;
    const FapEvent* next = queue.pending.empty() ? nullptr : &queue.pending.front();

    int64_t fadeOutStart = midpoint(current);
    int64_t fadeOutEnd = 0;
    int64_t fadeInStart = 0;
    int64_t fadeInEnd = 0;
    int64_t nextMid = 0;
    if (next) {
        nextMid = midpoint(*next);
        bool touching = next->start == current.end;
        fadeOutEnd = touching ? nextMid : int64_t{current.end};
        fadeInStart = touching ? fadeOutStart : int64_t{next->start};
    } else {
        fadeOutEnd = int64_t{current.end} + (fadeOutStart - current.start);
    }
    if (fade > 0) {
        if (current.end > fade)
            fadeOutStart = std::max(fadeOutStart, int64_t{current.end} - fade);
        if (next)
            fadeInEnd = std::min(nextMid, int64_t{next->start} + fade);
    } else {
        fadeInEnd = nextMid;
    }

    double nextWeight = 0.0;
    uint32_t nextRow = 0;
    if (next && fadeInStart <= c) {
        nextWeight = strength(next->intensity) * easeIn(progress(c - fadeInStart, fadeInEnd - fadeInStart));
        nextRow = next->row;
    }
    double currentWeight = strength(current.intensity);
    if (c >= fadeOutStart)
        currentWeight *= easeOut(progress(c - fadeOutStart, fadeOutEnd - fadeOutStart));

    if (packedEntry)
        *packedEntry = packedWord(current.row, nextRow, currentWeight, nextWeight);
    const FapRow& currentRow = table[current.row];
    const FapRow& nextValues = table[nextRow];
    for (size_t i = kFirstLowLevelFap; i < frame.size(); ++i)
        frame[i] = truncToInt(currentWeight * currentRow[i] + nextWeight * nextValues[i] + frame[i]);
}

// Head turns ease from the last reached pose to the next one over the next event's own span.
void CFapMixer::blendHeadTurn(FapFrame& frame, uint32_t clockMs)
{
    std::lock_guard guard(lock_);
    HeadTurnQueue& queue = headTurns_;
    while (!queue.pending.empty() && queue.pending.front().end < clockMs) {
        queue.current = queue.pending.front();
        queue.pending.pop_front();
    }
    const HeadTurnEvent& from = queue.current;
    double s = 0.0;
    const HeadTurnEvent* to = &from;
    if (!queue.pending.empty() && queue.pending.front().start <= clockMs) {
        to = &queue.pending.front();
        s = easeIn(progress(int64_t{clockMs} - to->start, int64_t{to->end} - to->start));
    }
    auto angle = [s](int a, int b) { return truncToInt(((1.0 - s) * a + s * b) * kHeadTurnScale); };
    frame[kPitchEntry] = angle(from.pitch, to->pitch);
    frame[kYawEntry] = angle(from.yaw, to->yaw);
    frame[kRollEntry] = angle(from.roll, to->roll);
}

const FapRow& CFapMixer::expressionRow(int row) const
{
    return expressionTable_[std::size_t(std::clamp(row, 0, kExpressionRowCount - 1))];
}

const FapRow& CFapMixer::visemeRow(int row) const
{
    return visemeTable_[std::size_t(std::clamp(row, 0, kVisemeRowCount - 1))];
}
