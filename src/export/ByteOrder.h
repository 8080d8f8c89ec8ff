#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Little-endian fields of the records and header objects the export writes and reads.

inline void putLe16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

inline void putLe32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

inline void putLe64(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

// Appends by resizing: GCC 12 at -O3 sees a phantom overflow in vector::insert of a small range.
inline void putBytes(std::vector<std::uint8_t>& out, const void* bytes, std::size_t count)
{
    if (count == 0)
        return;
    const std::size_t at = out.size();
    out.resize(at + count);
    std::memcpy(out.data() + at, bytes, count);
}

inline void putBytes(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes)
{
    putBytes(out, bytes.data(), bytes.size());
}

inline void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5])
{
    putBytes(out, tag, 4);
}

inline std::uint16_t le16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline std::uint64_t le64(const std::uint8_t* p)
{
    return std::uint64_t(le32(p)) | std::uint64_t(le32(p + 4)) << 32;
}

inline void setLe64(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

inline void setLe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

// A UTF-16LE string of 8-bit text, each byte one character, with a zero character when asked.
inline void putWide(std::vector<std::uint8_t>& out, const std::string& text, bool terminate)
{
    for (unsigned char c : text)
        putLe16(out, c);
    if (terminate)
        putLe16(out, 0);
}
