#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// A WAV result code as users see it: "0xE101 (text)".
std::string wavResultLine(int code);

using WavProgress = std::function<bool(std::uint64_t position, std::uint64_t total)>;
using WavProducer = std::function<int(const std::filesystem::path& staging, const WavProgress& progress)>;

// Lets `produce` write into a fresh file beside `destination`, with progress on the terminal and Ctrl+C as
// cancel, and moves it into place only when complete, so a failed or cancelled run leaves an existing
// destination (or a source of the same name) untouched. A failure throws CliError starting with `failure`.
void writeWavInPlace(const std::string& destination, const std::string& failure, const WavProducer& produce);
