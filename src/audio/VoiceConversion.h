#pragma once

#include "audio/WavFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

// Reports how far a conversion got, in bytes of source data out of `total`; returning false cancels.
using ConversionProgress = std::function<bool(std::uint64_t position, std::uint64_t total)>;

// Converts any PCM WAV (8, 16 or 32 bits, one or two channels) into the 16 kHz mono 16-bit voice
// format, one minute of source at a time. Returns 0 or a WAV result code; a cancel or an unsupported
// source gives kWavCannotOpen. On any failure the destination file is removed.
int convertVoice(const std::filesystem::path& destination, const std::filesystem::path& source,
                 const ConversionProgress& progress = {});

// Maps a progress position onto a 0..1000 bar the way the progress dialog does.
int progressPerMille(std::uint64_t position, std::uint64_t total);

// The sample arithmetic, open to tests.
// Appends `frames` frames of `format` as 16-bit mono; false for a sample layout that cannot be mixed.
bool appendMono16(const std::uint8_t* frames, std::size_t frameCount, const WavFormat& format,
                  std::vector<std::int16_t>& out);
// Source rate / 16000, the step of the resampler.
double resampleRatio(std::uint32_t sourceRate);
// Resamples one block on its own to 16 kHz; gives trunc(in.size() / ratio) samples.
void resampleBlock(const std::vector<std::int16_t>& in, double ratio, std::vector<std::int16_t>& out);
