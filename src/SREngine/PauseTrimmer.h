#pragma once
// Long pauses cut out of a block before the phonetic decoding, so that the decoder's normalisation over
// the utterance is taken over speech rather than over silence, and no time is spent decoding nothing.

#include "SREngine/PhoneDecoder.h"

#include <cstdint>
#include <vector>

namespace sylrecog {

class CPauseTrimmer {
public:
    // A pause is a run of at least minPauseFrames 10-ms frames quieter than the block's loud frames by
    // more than rangeDb; keepFrames of it stay on either side so that phones keep their edges.
    CPauseTrimmer(uint32_t minPauseFrames, uint32_t keepFrames, double rangeDb);

    // The block's samples with its long pauses taken out; whole frames only (a partial last frame stays).
    const std::vector<int16_t>& trim(const int16_t* samples, int count);
    // Segments timed in frames of the trimmed samples back to frames of the block. A segment that spans
    // a cut ends where the speech before the cut ends.
    void restoreTimes(std::vector<PhoneSegment>& segments) const;
    // Frames of the block removed by the last trim.
    uint32_t removedFrames() const { return removed_; }

private:
    struct Piece {
        uint32_t trimmedStart; // first frame of the piece in the trimmed samples
        uint32_t blockStart;   // the same frame in the block
        uint32_t frames;
    };
    uint32_t blockFrame(uint32_t trimmedFrame, const Piece*& piece) const;

    uint32_t minPause_;
    uint32_t keep_;
    double rangeDb_;
    std::vector<int16_t> samples_;
    std::vector<Piece> pieces_;
    uint32_t removed_ = 0;
};

} // namespace sylrecog
