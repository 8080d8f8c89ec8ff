#pragma once

#include <cstdint>

namespace cm::g723 {

// Packs fields least significant bit first, the order the coded frames use.
class BitWriter {
public:
    explicit BitWriter(std::uint8_t* out, int bytes) : out_(out)
    {
        for (int i = 0; i < bytes; ++i)
            out_[i] = 0;
    }
    void put(unsigned value, int bits)
    {
        for (int i = 0; i < bits; ++i, ++pos_)
            if ((value >> i) & 1u)
                out_[pos_ >> 3] = std::uint8_t(out_[pos_ >> 3] | (1u << (pos_ & 7)));
    }

private:
    std::uint8_t* out_;
    int pos_ = 0;
};

} // namespace cm::g723
