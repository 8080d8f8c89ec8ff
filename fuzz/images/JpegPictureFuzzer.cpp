// Feeds arbitrary bytes to the JPEG loader through its memory source, in both load modes, and
// combines the two results the way the face commands do.
#include "images/CJpegPicture.h"

#include <cstddef>
#include <cstdint>

namespace {

// A few hundred bytes can declare a picture of millions of pixels that the decoder then fills in
// from padding for seconds. Such inputs were run clean on their own; skipping them keeps the run
// exploring the parser instead of the library's inverse transform.
constexpr long kMaxFuzzedPixels = 1L << 20;

bool declaresHugePicture(const uint8_t* data, size_t size)
{
    for (size_t i = 0; i + 9 <= size; ++i) {
        if (data[i] != 0xFF || data[i + 1] < 0xC0 || data[i + 1] > 0xCF || data[i + 1] == 0xC4 ||
            data[i + 1] == 0xC8 || data[i + 1] == 0xCC)
            continue;
        long height = data[i + 5] << 8 | data[i + 6], width = data[i + 7] << 8 | data[i + 8];
        if (width * height > kMaxFuzzedPixels)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (declaresHugePicture(data, size))
        return 0;
    CJpegPicture colour, mask;
    if (!colour.loadMemory(data, size, false))
        return 0;
    mask.loadMemory(data, size, true);
    colour.takeAlphaFrom(mask);
    volatile uint8_t sink = colour.pixels()[colour.width() * colour.height() * 4 - 1];
    (void)sink;
    return 0;
}
