#pragma once

#include "WMA/WmaLayout.h"

#include <cstddef>
#include <cstdint>

// The header fields of one superframe, as a decoder reads them.
struct WmaSuperframeHeader {
    int index = 0;     // 0..15, counting superframes
    int frames = 0;    // 1 + the frames that start after the bit offset and end in this superframe
    int bitOffset = 0; // bits after the header that finish the previous superframe's last frame
};

// Reads the header of a superframe of `size` bytes. False when the bytes are fewer than the format's
// block alignment or the fields are impossible (no frame count, an offset past the end).
bool readWmaSuperframe(const WmaLayout& layout, const std::uint8_t* data, std::size_t size,
                       WmaSuperframeHeader& header);
