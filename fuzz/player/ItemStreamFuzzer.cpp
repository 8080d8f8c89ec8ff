// The item stream on arbitrary bytes: read, its head made drawable, its items mixed into frames and its
// speech decoded, as the player does with a file.
#include "player/ItemStreamAnimation.h"

#include "documents/ByteSource.h"
#include "face/CHeadModel.h"

#include <cstddef>
#include <cstdint>

namespace {
// Enough speech to reach every decoder state while keeping each run short.
constexpr std::size_t kMostSpeechFrames = 2000;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryByteSource in(data, size);
    StreamContent content;
    std::string error;
    if (readStreamFile(in, content, error) == StreamRead::failed)
        return 0;
    if (content.speech.sizes.size() > kMostSpeechFrames)
        content.speech.sizes.resize(kMostSpeechFrames);
    std::vector<std::int16_t> voice;
    std::size_t decoded = 0;
    decodeStreamSpeech(content.speech, voice, decoded);
    CFapMixer mixer{ExpressionRows{}};
    const std::vector<TimedFapFrame> frames = itemStreamFrames(content, mixer, 1, 66);
    if (auto head = itemStreamHead(content, error)) {
        head->setFapValue(0, frames.back().values[0]);
        for (int i = 2; i < kFapCount; ++i)
            head->setFapValue(i, frames[frames.size() / 2].values[std::size_t(i)]);
        head->deform(false);
    }
    return 0;
}
