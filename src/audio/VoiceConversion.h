#pragma once

#include "audio/WavFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Reports how far a conversion got, in bytes of source data out of `total`; returning false cancels.
using ConversionProgress = std::function<bool(std::uint64_t position, std::uint64_t total)>;

// Converts a voice into the 16 kHz mono 16-bit working format, one minute of source at a time. A PCM
// WAV of 8, 16 or 32 bits and one or two channels is read directly; anything else FFmpeg can decode
// (other WAV kinds, FLAC, MP3, Ogg, Opus, M4A ...) goes through it. Sources above 16 kHz are low-pass
// filtered before they are decimated. Returns 0 or a WAV result code: a cancel or a file that cannot be
// decoded gives kWavCannotOpen (a file no reader recognises keeps the WAV reader's code), a decoded
// stream that stops short of its declared length kWavTruncatedData. On any failure the destination file
// is removed and `reason` says in words what went wrong.
int convertVoice(const std::filesystem::path& destination, const std::filesystem::path& source,
                 const ConversionProgress& progress, std::string& reason);
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
// Resamples one block on its own to 16 kHz by picking and interpolating samples, without a filter;
// gives trunc(in.size() / ratio) samples.
void resampleBlock(std::span<const std::int16_t> in, double ratio, std::vector<std::int16_t>& out);
