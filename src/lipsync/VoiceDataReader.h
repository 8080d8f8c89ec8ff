#pragma once
// Sequential reading of the sample bytes of a 16 kHz mono voice file, without holding it whole.

#include <cstdint>
#include <cstdio>
#include <string>

class CVoiceDataReader {
public:
    CVoiceDataReader() = default;
    ~CVoiceDataReader();
    CVoiceDataReader(const CVoiceDataReader&) = delete;
    CVoiceDataReader& operator=(const CVoiceDataReader&) = delete;

    // Opens a RIFF WAVE file and positions at its "data" chunk. False when the file is missing, not a
    // RIFF WAVE or has no data chunk.
    bool open(const std::string& path);
    // Bytes of sample data in the file (a chunk size beyond the file's end is cut to what is there).
    uint32_t dataSize() const { return dataSize_; }
    uint32_t bytesLeft() const { return bytesLeft_; }
    // True when a "fmt " chunk before the data names 16 kHz mono 16-bit PCM.
    bool isVoiceFormat() const { return voiceFormat_; }
    // Reads up to count bytes; the byte count read, or -1 on a read error.
    long read(void* buffer, uint32_t count);

private:
    std::FILE* file_ = nullptr;
    uint32_t dataSize_ = 0;
    uint32_t bytesLeft_ = 0;
    bool voiceFormat_ = false;
};
