#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Rates beyond any real recording would make the conversion's one-minute blocks absurdly large.
constexpr std::uint32_t kMaxSourceRate = 384000;

// A stream of 16-bit mono samples at the source's own rate: what the voice conversion resamples, whether
// the samples come from a PCM WAV file or from a decoder.
class IMonoSource {
public:
    virtual ~IMonoSource() = default;

    virtual std::uint32_t rate() const = 0;
    // Appends about `wanted` samples (a decoder may hand over a whole decoded frame); appends nothing only
    // once the stream has ended. Returns a WAV result code.
    virtual int read(std::vector<std::int16_t>& out, std::size_t wanted) = 0;
    virtual bool ended() const = 0;
    // How far reading got, in bytes of the source, out of total().
    virtual std::uint64_t position() const = 0;
    virtual std::uint64_t total() const = 0;
    // Why the last failure happened, in words; empty when the result code says all there is.
    virtual std::string reason() const { return {}; }
};
