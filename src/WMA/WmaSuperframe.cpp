#include "WMA/WmaSuperframe.h"

bool readWmaSuperframe(const WmaLayout& layout, const std::uint8_t* data, std::size_t size,
                       WmaSuperframeHeader& header)
{
    const std::size_t total = layout.format.blockAlign;
    const int headerBits = layout.headerBits();
    if (!data || size < total || total * 8 < std::size_t(headerBits))
        return false;
    std::size_t pos = 0;
    auto get = [&](int bits) {
        unsigned v = 0;
        for (int i = 0; i < bits; ++i, ++pos)
            v = (v << 1) | ((data[pos >> 3] >> (7 - (pos & 7))) & 1u);
        return int(v);
    };
    header.index = get(4);
    header.frames = get(4);
    header.bitOffset = get(layout.byteOffsetBits + 3);
    return header.frames >= 1 && std::size_t(header.bitOffset) <= total * 8 - std::size_t(headerBits);
}
