#pragma once

#include "G723/Excitation.h"
#include "G723/LpcTools.h"

#include <array>
#include <cstdint>

namespace cm::g723 {

// The decoder's comfort-noise state, mirrored so that the encoder's excitation memory matches the
// decoder's after a silence period, and the silence-description gain code.
class ComfortNoise {
public:
    void reset();
    // An active frame was sent: the decoder restarts its noise generator.
    void onActiveFrame()
    {
        seed_ = kSeed;
        lastActive_ = true;
    }
    // A silence-description frame with this gain code (or an untransmitted frame, code < 0) was sent;
    // produces the 240 excitation samples the decoder generates and updates history.
    void onSilenceFrame(int gainCode, ExcHistory& history, std::array<std::int16_t, 240>& excitation);

    // Gain code (0..63) for a residual of this mean square per sample.
    static int gainCode(double residualMeanSquare);
    // Decoder's gain for a code.
    static int codeToGain(int code);

private:
    static constexpr int kSeed = 12345;
    int nextRandom(int base);
    void addPulses(std::int16_t* v, const int* pos, const int* sign);

    int seed_ = kSeed;
    int curGain_ = 0;
    int sidGain_ = 0;
    bool lastActive_ = false;
};

} // namespace cm::g723
