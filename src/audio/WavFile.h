#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

// Result codes of the WAV routines; 0 is success. Any other value is a chunk-level I/O code such as
// kWavChunkNotFound.
constexpr int kWavOk = 0;
constexpr int kWavOutOfMemory = 0xE000;
constexpr int kWavCannotOpen = 0xE100;
constexpr int kWavNotRiffWave = 0xE101;
constexpr int kWavBadFormat = 0xE102;
constexpr int kWavTruncatedData = 0xE103;
constexpr int kWavCannotWrite = 0xE104;
constexpr int kWavNotPcm = 0xE105;
// A chunk that is not there; the value the platform's chunk I/O has always used for it.
constexpr int kWavChunkNotFound = 0x109;

constexpr std::uint16_t kWavFormatPcm = 1;

// Short English text for a result code, for messages.
const char* wavResultText(int code);

struct WavFormat {
    std::uint16_t formatTag = kWavFormatPcm;
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = 16000;
    std::uint32_t avgBytesPerSec = 32000;
    std::uint16_t blockAlign = 2;
    std::uint16_t bitsPerSample = 16;
    // Bytes after the extra-size field; written only for non-PCM formats, never filled by the reader.
    std::vector<std::uint8_t> extra;
};

// The 16 kHz mono 16-bit format the timeline and the lip-sync analysis work in.
WavFormat voiceFormat();
bool isVoiceFormat(const WavFormat& format);

// Reads the samples of a PCM RIFF WAVE file in order.
class CWavReader {
public:
    CWavReader() = default;
    ~CWavReader() { close(); }
    CWavReader(const CWavReader&) = delete;
    CWavReader& operator=(const CWavReader&) = delete;

    // Opens the file and reads its format. On failure nothing stays open.
    int open(const std::filesystem::path& path);
    // Finds the "data" chunk; afterwards read() hands out its bytes.
    int startData();
    // Reads at most `count` bytes, never more than remain in the data chunk. `bytesRead` is 0 on error.
    int read(void* buffer, std::uint32_t count, std::uint32_t& bytesRead);
    // Moves to `offset` bytes past the first sample; the remaining count follows. An offset past the
    // data end gives kWavTruncatedData and changes nothing.
    int seekData(std::uint32_t offset);
    void close();

    const WavFormat& format() const { return format_; }
    // Declared size of the data chunk, and the bytes of it not yet read.
    std::uint32_t dataSize() const { return dataSize_; }
    std::uint32_t remaining() const { return remaining_; }

private:
    int findChunk(const char id[4], std::uint64_t from, std::uint64_t end, std::uint64_t& body,
                  std::uint32_t& size);
    int readFormat(std::uint64_t riffEnd);

    std::FILE* file_ = nullptr;
    std::uint64_t fileSize_ = 0;
    std::uint64_t riffEnd_ = 0;
    WavFormat format_;
    std::uint64_t dataStart_ = 0;
    std::uint32_t dataSize_ = 0;
    std::uint32_t remaining_ = 0;
};

// Writes a RIFF WAVE file: format, a sample count in "fact" and the samples. A writer that is
// destroyed without finish() closes the file as it stands.
class CWavWriter {
public:
    CWavWriter() = default;
    ~CWavWriter();
    CWavWriter(const CWavWriter&) = delete;
    CWavWriter& operator=(const CWavWriter&) = delete;

    // Creates (or truncates) the file and writes everything before the samples.
    int create(const std::filesystem::path& path, const WavFormat& format);
    // Appends `byteCount` bytes of sample data, as the format lays them out.
    int write(const void* data, std::size_t byteCount);
    // Fixes the chunk sizes, stores `sampleCount` in "fact" and closes the file, in every case.
    int finish(std::uint32_t sampleCount);
    // Ends a write that went as far as `code` says: finishes with `sampleCount` on success, else closes the
    // file and removes `path` so that a failed or cancelled write leaves nothing behind. Returns the final
    // code.
    int finishOrRemove(int code, std::uint32_t sampleCount, const std::filesystem::path& path);

private:
    int flush();
    int writeBytes(const void* bytes, std::size_t count);

    std::FILE* file_ = nullptr;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t dataStart_ = 0;
    std::uint64_t dataBytes_ = 0;
    std::uint64_t factOffset_ = 0;
    int error_ = kWavOk;
};
