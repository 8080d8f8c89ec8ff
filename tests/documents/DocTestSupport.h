#pragma once

#include "documents/ChunkedContainer.h"
#include "TestSupport.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// Byte-level helpers for building and inspecting document files in tests.
namespace doctest {

using Bytes = std::vector<uint8_t>;

inline void putU16(Bytes& bytes, uint16_t value)
{
    appendU16(bytes, value);
}
inline void putU32(Bytes& bytes, uint32_t value)
{
    appendU32(bytes, value);
}
inline void putText(Bytes& bytes, const std::string& text)
{
    // Grown then filled: GCC 12 at -O3 misreads a range insert of a short text as an overflow.
    size_t at = bytes.size();
    bytes.resize(at + text.size());
    if (!text.empty())
        std::memcpy(bytes.data() + at, text.data(), text.size());
}
inline uint32_t u32At(const Bytes& bytes, size_t offset)
{
    return loadU32(bytes.data() + offset);
}
inline std::string tagAt(const Bytes& bytes, size_t offset)
{
    return std::string(bytes.begin() + static_cast<long>(offset),
                       bytes.begin() + static_cast<long>(offset) + 4);
}

// Signature, version and the kind's property chain of zeros.
inline Bytes packStart(DocumentKind kind, uint16_t version = 9)
{
    Bytes bytes;
    const char* text = signatureText(kind);
    bytes.insert(bytes.end(), text, text + signatureSize(kind));
    putU16(bytes, version);
    std::vector<std::pair<uint32_t, uint32_t>> chain;
    if (kind == DocumentKind::headDefinition)
        chain = {{0x10000, 512}, {0x10001, 4}, {0x10010, 548}};
    else if (kind == DocumentKind::headAnimation)
        chain = {{0x100000, 256}, {0x100001, 28}, {0x100010, 548}};
    for (auto [id, size] : chain) {
        putU32(bytes, id);
        putU32(bytes, size);
        bytes.insert(bytes.end(), size, 0);
    }
    return bytes;
}

inline void putChunk(Bytes& bytes, const char (&tag)[5], const Bytes& payload)
{
    putU32(bytes, makeTag(tag));
    putU32(bytes, static_cast<uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
}

inline void putNameChunk(Bytes& bytes, const char (&tag)[5], const std::string& name)
{
    Bytes payload(name.begin(), name.end());
    payload.push_back(0);
    putChunk(bytes, tag, payload);
}

inline Bytes patternBytes(size_t size, uint8_t seed = 1)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

inline std::filesystem::path writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    testsupport::writeBinaryFile(path, bytes);
    return path;
}

inline Bytes readFile(const std::filesystem::path& path)
{
    return testsupport::readBinaryFile(path);
}

// A 16 kHz mono 16-bit PCM WAV of `samples`.
inline std::filesystem::path writeVoice(const std::filesystem::path& path,
                                        const std::vector<int16_t>& samples)
{
    Bytes wav;
    putText(wav, "RIFF");
    putU32(wav, static_cast<uint32_t>(36 + samples.size() * 2));
    putText(wav, "WAVEfmt ");
    putU32(wav, 16);
    putU16(wav, 1);
    putU16(wav, 1);
    putU32(wav, 16000);
    putU32(wav, 32000);
    putU16(wav, 2);
    putU16(wav, 16);
    putText(wav, "data");
    putU32(wav, static_cast<uint32_t>(samples.size() * 2));
    for (int16_t sample : samples)
        putU16(wav, static_cast<uint16_t>(sample));
    return writeFile(path, wav);
}

// Points the system temporary folder at a private folder for the test's lifetime, so extracted and
// temporary files can be counted and are cleaned up.
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        const char* old = std::getenv("TMPDIR");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        setenv("TMPDIR", folder_.path().c_str(), 1);
    }
    ~PrivateTempFolder()
    {
        if (hadOld_)
            setenv("TMPDIR", old_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    const std::filesystem::path& path() const { return folder_.path(); }
    size_t fileCount() const
    {
        size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

private:
    testsupport::TempDir folder_;
    std::string old_;
    bool hadOld_ = false;
};

} // namespace doctest
