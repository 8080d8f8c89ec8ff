// Feeds arbitrary bytes to the JPEG loader through its memory source, in both load modes, and
// combines the two results the way the face commands do.
#include "CJpegPicture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CJpegPicture colour, mask;
    if (!colour.loadMemory(data, size, false))
        return 0;
    mask.loadMemory(data, size, true);
    colour.takeAlphaFrom(mask);
    volatile uint8_t sink = colour.pixels()[colour.width() * colour.height() * 4 - 1];
    (void)sink;
    return 0;
}
