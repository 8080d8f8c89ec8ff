#include "SREngine/PauseTrimmer.h"

#include <algorithm>
#include <cmath>

namespace sylrecog {
namespace {

constexpr uint32_t kFrame = 160;
// Below this level a frame is quiet whatever the rest of the block does (about -66 dB of full scale).
constexpr double kQuietFloorDb = 24.0;

double frameLevelDb(const int16_t* samples)
{
    double sum = 0;
    for (uint32_t i = 0; i < kFrame; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return 10.0 * std::log10(sum / kFrame + 1.0);
}

} // namespace

CPauseTrimmer::CPauseTrimmer(uint32_t minPauseFrames, uint32_t keepFrames, double rangeDb)
    : minPause_(minPauseFrames), keep_(keepFrames), rangeDb_(rangeDb)
{
}

const std::vector<int16_t>& CPauseTrimmer::trim(const int16_t* samples, int count)
{
    samples_.clear();
    pieces_.clear();
    removed_ = 0;
    const uint32_t total = count > 0 ? static_cast<uint32_t>(count) : 0;
    const uint32_t frames = total / kFrame;
    std::vector<double> levels(frames);
    for (uint32_t f = 0; f < frames; ++f)
        levels[f] = frameLevelDb(samples + f * kFrame);
    std::vector<double> sorted = levels;
    const size_t loudIndex = sorted.size() * 95 / 100;
    double loud = 0;
    if (!sorted.empty()) {
        std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(loudIndex), sorted.end());
        loud = sorted[loudIndex];
    }
    const double threshold = std::max(kQuietFloorDb, loud - rangeDb_);
    std::vector<bool> dropped(frames, false);
    for (uint32_t f = 0; f < frames;) {
        uint32_t end = f;
        while (end < frames && levels[end] < threshold)
            ++end;
        if (end - f >= minPause_ && end - f > 2 * keep_)
            std::fill(dropped.begin() + f + keep_, dropped.begin() + end - keep_, true);
        f = end > f ? end : f + 1;
    }
    for (uint32_t f = 0; f < frames; ++f) {
        if (dropped[f]) {
            ++removed_;
            continue;
        }
        const uint32_t at = static_cast<uint32_t>(samples_.size() / kFrame);
        if (pieces_.empty() || pieces_.back().blockStart + pieces_.back().frames != f)
            pieces_.push_back({at, f, 0});
        ++pieces_.back().frames;
        samples_.insert(samples_.end(), samples + f * kFrame, samples + (f + 1) * kFrame);
    }
    samples_.insert(samples_.end(), samples + frames * kFrame, samples + total);
    return samples_;
}

uint32_t CPauseTrimmer::blockFrame(uint32_t trimmedFrame, const Piece*& piece) const
{
    piece = nullptr;
    for (const auto& p : pieces_) {
        piece = &p;
        if (trimmedFrame < p.trimmedStart + p.frames)
            break;
    }
    if (!piece)
        return trimmedFrame;
    return piece->blockStart + (trimmedFrame - piece->trimmedStart);
}

void CPauseTrimmer::restoreTimes(std::vector<PhoneSegment>& segments) const
{
    if (removed_ == 0)
        return;
    for (auto& segment : segments) {
        const Piece* startPiece = nullptr;
        const Piece* endPiece = nullptr;
        const uint32_t start = blockFrame(static_cast<uint32_t>(std::max(segment.startFrame, 0)), startPiece);
        uint32_t end =
            blockFrame(static_cast<uint32_t>(std::max(segment.endFrame, segment.startFrame)), endPiece);
        if (startPiece && endPiece && startPiece != endPiece)
            end = startPiece->blockStart + startPiece->frames - 1;
        segment.startFrame = static_cast<int>(start);
        segment.endFrame = static_cast<int>(std::max(start, end));
    }
}

} // namespace sylrecog
