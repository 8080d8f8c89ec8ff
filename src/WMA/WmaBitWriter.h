#pragma once

#include <cstdint>
#include <vector>

// Most-significant-bit-first writer, the bit order of the WMA bitstream.
class WmaBitWriter {
public:
    void put(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i)
            putBit((value >> i) & 1u);
    }
    void putBit(unsigned bit)
    {
        if ((size_ & 7) == 0)
            bytes_.push_back(0);
        if (bit)
            bytes_.back() |= std::uint8_t(0x80u >> (size_ & 7));
        ++size_;
    }
    // Appends `bits` bits of another writer's stream starting at bit `from`.
    void append(const WmaBitWriter& other, std::size_t from, std::size_t bits)
    {
        for (std::size_t i = from; i < from + bits; ++i)
            putBit((other.bytes_[i >> 3] >> (7 - (i & 7))) & 1u);
    }
    // Overwrites `bits` bits at bit position `at` (already written).
    void patch(std::size_t at, std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i, ++at) {
            const std::uint8_t mask = std::uint8_t(0x80u >> (at & 7));
            if ((value >> i) & 1u)
                bytes_[at >> 3] |= mask;
            else
                bytes_[at >> 3] &= std::uint8_t(~mask);
        }
    }
    std::size_t size() const { return size_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    void clear()
    {
        bytes_.clear();
        size_ = 0;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t size_ = 0;
};
