// Arbitrary bytes as 16-bit samples through the speech coder: every frame must be a size its type
// bits announce, and active frames must stay inside the ranges a decoder accepts.
#include "G723/CG723Encoder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

unsigned field(const std::uint8_t* data, int& pos, int bits)
{
    unsigned v = 0;
    for (int i = 0; i < bits; ++i, ++pos)
        v |= unsigned((data[pos >> 3] >> (pos & 7)) & 1) << i;
    return v;
}

void checkActive(const std::uint8_t* frame)
{
    int pos = 26;
    unsigned lag0 = field(frame, pos, 7);
    pos += 2;
    unsigned lag1 = field(frame, pos, 7);
    pos += 2;
    if (lag0 > 123 || lag1 > 123)
        std::abort();
    for (int sub = 0; sub < 4; ++sub)
        if (field(frame, pos, 12) / 24 >= 170)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the VAD mode and a repeat count, so short inputs still fill frames.
    const bool vad = data[0] & 1;
    const int repeat = 1 + (data[0] >> 1) % 8;
    std::vector<std::int16_t> pcm((size - 1) / 2 * std::size_t(repeat));
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        std::size_t at = 1 + (i % ((size - 1) / 2)) * 2;
        pcm[i] = std::int16_t(data[at] | (data[at + 1] << 8));
    }
    CG723Encoder encoder(vad);
    std::uint8_t frame[CG723Encoder::kMaxFrameBytes];
    for (std::size_t s = 0; s + CG723Encoder::kFrameSamples <= pcm.size(); s += CG723Encoder::kFrameSamples) {
        int n = encoder.encodeFrame(pcm.data() + s, frame);
        if (n != CG723Encoder::frameBytes(frame[0]) || (frame[0] & 3) == 0)
            std::abort();
        if (n == CG723Encoder::kActiveBytes)
            checkActive(frame);
    }
    return 0;
}
