#pragma once

#include "timeline/VoiceReader.h"
#include "audio/WavFile.h"

// The timeline's voice read from a real WAV file. Reads past the end of the samples succeed and
// leave the caller's zeroed buffer silent, so the last, partial step of a voice still plays.
class CWavVoiceReader : public VoiceReader {
public:
    bool open(const std::filesystem::path& path, VoiceFormat& format, std::uint32_t& dataBytes) override;
    bool read(void* buffer, std::size_t bytes) override;
    bool seek(std::uint32_t offset) override;
    void close() override { file_.close(); }

private:
    CWavReader file_;
};
