#include "G723/VoiceActivity.h"

#include <algorithm>
#include <cmath>

namespace cm::g723 {
namespace {

// Levels in dB of the filtered signal's mean square (a full-scale sine is about 87 dB).
constexpr double kAlwaysSilentDb = 24.0;
constexpr double kInitialFloorCapDb = 61.0;
constexpr double kVoiceMarginDb = 9.0;
constexpr double kNearFloorDb = 12.0;
constexpr double kRiseNearDb = 0.12;
constexpr double kRiseFarDb = 0.02;
constexpr int kHangoverFrames = 6;

} // namespace

void VoiceActivity::reset()
{
    started_ = false;
    noiseDb_ = 0;
    hangover_ = 0;
}

bool VoiceActivity::decide(double meanSquare)
{
    const double levelDb = 10.0 * std::log10(meanSquare + 1e-3);
    if (!started_) {
        started_ = true;
        noiseDb_ = std::clamp(levelDb, kAlwaysSilentDb, kInitialFloorCapDb);
    }
    // The floor follows drops at once and rises slowly, more slowly while the level is far above it.
    if (levelDb < noiseDb_)
        noiseDb_ = std::max(levelDb, kAlwaysSilentDb);
    else
        noiseDb_ += levelDb - noiseDb_ < kNearFloorDb ? kRiseNearDb : kRiseFarDb;

    const bool voiced = levelDb > kAlwaysSilentDb && levelDb > noiseDb_ + kVoiceMarginDb;
    if (voiced) {
        hangover_ = kHangoverFrames;
        return true;
    }
    if (levelDb > kAlwaysSilentDb && hangover_ > 0) {
        --hangover_;
        return true;
    }
    hangover_ = 0;
    return false;
}

} // namespace cm::g723
