#pragma once

#include "face/FapTables.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>

// One timed table row: [start, end) in ms, the row, and its strength 0-63 (63 = the row itself).
struct FapEvent {
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t row = 0;
    uint32_t intensity = 0;
};

// A head turn towards (pitch, yaw, roll), in head-turn units, over [start, end) in ms.
struct HeadTurnEvent {
    uint32_t start = 0;
    uint32_t end = 0;
    int pitch = 0;
    int yaw = 0;
    int roll = 0;
};

using FapFrame = std::array<int, kFapCount>;

// Turns queued expression, viseme, blink and head-turn events into one frame of FAP values at the
// clock. Events are consumed as the clock passes them; the queues may be filled or cleared from
// another thread while frames are computed.
class CFapMixer {
public:
    // FAP units per head-turn unit, for the pitch, yaw and roll FAPs.
    static constexpr int kHeadTurnScale = 170;
    static constexpr uint32_t kExpressionFade = 500;
    static constexpr uint32_t kBlinkFade = 500;
    static constexpr uint32_t kMaxIntensity = 63;

    // Expression rows from the files in `expressionsFolder`, built-in rows where a file is missing.
    explicit CFapMixer(const std::filesystem::path& expressionsFolder);
    explicit CFapMixer(const ExpressionRows& expressionRows);
    virtual ~CFapMixer() = default;
    CFapMixer(const CFapMixer&) = delete;
    CFapMixer& operator=(const CFapMixer&) = delete;

    // Events must come in increasing start order per queue. Rows are clamped into their table.
    int addExpression(int row, int intensity, uint32_t start, uint32_t duration);
    int addViseme(int row, int intensity, uint32_t start, uint32_t duration);
    int addBlink(int row, int intensity, uint32_t start, uint32_t duration);
    int addHeadTurn(int pitch, int yaw, int roll, uint32_t start, uint32_t duration);

    // Empties the queues, resets the current events and sets the clock to 0.
    void clear();
    int isEmpty() const;

    uint32_t clock() const { return clock_.load(std::memory_order_relaxed); }
    void setClock(uint32_t ms) { clock_.store(ms, std::memory_order_relaxed); }
    void advanceClock(int32_t delta);

    // Fills `frame` for the clock; returns 1 while any queue still holds events, else 0.
    int computeFrame(FapFrame& frame);

    // The rows a frame's packed words name (clamped into their table), for a reader that has the
    // words but not the values they blended.
    const FapRow& expressionRow(int row) const;
    const FapRow& visemeRow(int row) const;

private:
    struct FapQueue {
        std::deque<FapEvent> pending;
        FapEvent current;
    };
    struct HeadTurnQueue {
        std::deque<HeadTurnEvent> pending;
        HeadTurnEvent current;
    };

    void buildTables(const ExpressionRows& expressionRows);
    int addToQueue(FapQueue& queue, int row, int maxRow, int intensity, uint32_t start, uint32_t duration);
    void blendQueue(FapQueue& queue, uint32_t fade, const FapRow* table, int* packedEntry, FapFrame& frame,
                    uint32_t c);
    void blendHeadTurn(FapFrame& frame, uint32_t c);

    std::array<FapRow, kExpressionRowCount> expressionTable_{};
    std::array<FapRow, kVisemeRowCount> visemeTable_{};
    std::array<FapRow, kBlinkRowCount> blinkTable_{};

    mutable std::mutex lock_;
    FapQueue expressions_;
    FapQueue visemes_;
    FapQueue blinks_;
    HeadTurnQueue headTurns_;
    // Written only by the playing thread; atomic so readers elsewhere see a whole value.
    std::atomic<uint32_t> clock_{0};
};
