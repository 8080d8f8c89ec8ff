#include "audio/WavFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

namespace {

constexpr std::size_t kWriteBufferSize = 64 * 1024;
// The RIFF size field is 32 bits; the data must leave room for the header chunks.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 4096;

std::uint16_t le16(const std::uint8_t* b)
{
    return std::uint16_t(b[0] | b[1] << 8);
}

std::uint32_t le32(const std::uint8_t* b)
{
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

void putLe16(std::uint8_t* b, std::uint32_t v)
{
    b[0] = std::uint8_t(v);
    b[1] = std::uint8_t(v >> 8);
}

void putLe32(std::uint8_t* b, std::uint32_t v)
{
    putLe16(b, v);
    putLe16(b + 2, v >> 16);
}

bool seekTo(std::FILE* file, std::uint64_t offset)
{
    return fseeko(file, off_t(offset), SEEK_SET) == 0;
}

bool readExact(std::FILE* file, void* buffer, std::size_t count)
{
    return std::fread(buffer, 1, count, file) == count;
}

} // namespace

const char* wavResultText(int code)
{
    switch (code) {
    case kWavOk:
        return "success";
    case kWavOutOfMemory:
        return "out of memory";
    case kWavCannotOpen:
        return "the file cannot be opened";
    case kWavNotRiffWave:
        return "not a RIFF WAVE file";
    case kWavBadFormat:
        return "the format cannot be read";
    case kWavTruncatedData:
        return "the file ends inside the sample data";
    case kWavCannotWrite:
        return "the file cannot be created or written";
    case kWavNotPcm:
        return "the samples are not PCM";
    case kWavChunkNotFound:
        return "a required chunk is missing";
    default:
        return "input/output error";
    }
}

WavFormat voiceFormat()
{
    return WavFormat{};
}

bool isVoiceFormat(const WavFormat& format)
{
    return format.formatTag == kWavFormatPcm && format.channels == 1 && format.samplesPerSec == 16000 &&
           format.bitsPerSample == 16;
}

int CWavReader::open(const std::filesystem::path& path)
{
    close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return kWavCannotOpen;
    std::uint8_t header[12];
    int code = kWavNotRiffWave;
    if (fseeko(file_, 0, SEEK_END) == 0) {
        fileSize_ = std::uint64_t(ftello(file_));
        if (seekTo(file_, 0) && readExact(file_, header, sizeof header) && !std::memcmp(header, "RIFF", 4) &&
            !std::memcmp(header + 8, "WAVE", 4)) {
            // A RIFF size running past the end of the file is trusted only as far as the file goes.
            riffEnd_ = std::min<std::uint64_t>(8ull + le32(header + 4), fileSize_);
            code = readFormat(riffEnd_);
        }
    }
    if (code != kWavOk)
        close();
    return code;
}

int CWavReader::readFormat(std::uint64_t riffEnd)
{
    std::uint64_t body = 0;
    std::uint32_t size = 0;
    if (const int code = findChunk("fmt ", 12, riffEnd, body, size); code != kWavOk)
        return code;
    if (size < 16)
        return kWavNotRiffWave;
    std::uint8_t raw[16];
    if (!seekTo(file_, body) || !readExact(file_, raw, sizeof raw))
        return kWavBadFormat;
    format_ =
        WavFormat{le16(raw), le16(raw + 2), le32(raw + 4), le32(raw + 8), le16(raw + 12), le16(raw + 14), {}};
    if (format_.formatTag != kWavFormatPcm)
        return kWavNotPcm;
    // Without channels, a rate and a frame size no sample can be located or timed.
    if (format_.channels == 0 || format_.samplesPerSec == 0 || format_.blockAlign == 0)
        return kWavBadFormat;
    return kWavOk;
}

int CWavReader::findChunk(const char id[4], std::uint64_t from, std::uint64_t end, std::uint64_t& body,
                          std::uint32_t& size)
{
    for (std::uint64_t at = from; at + 8 <= end;) {
        std::uint8_t head[8];
        if (!seekTo(file_, at) || !readExact(file_, head, sizeof head))
            break;
        size = le32(head + 4);
        body = at + 8;
        if (!std::memcmp(head, id, 4))
            return kWavOk;
        at = body + size + (size & 1); // chunks are padded to even sizes
    }
    return kWavChunkNotFound;
}

int CWavReader::startData()
{
    if (!file_)
        return kWavCannotOpen;
    std::uint64_t body = 0;
    std::uint32_t size = 0;
    if (const int code = findChunk("data", 12, riffEnd_, body, size); code != kWavOk)
        return code;
    if (!seekTo(file_, body))
        return kWavTruncatedData;
    dataStart_ = body;
    dataSize_ = remaining_ = size;
    return kWavOk;
}

int CWavReader::seekData(std::uint32_t offset)
{
    if (!file_ || dataStart_ == 0)
        return kWavCannotOpen;
    if (offset > dataSize_ || !seekTo(file_, dataStart_ + offset))
        return kWavTruncatedData;
    remaining_ = dataSize_ - offset;
    return kWavOk;
}

int CWavReader::read(void* buffer, std::uint32_t count, std::uint32_t& bytesRead)
{
    bytesRead = 0;
    if (!file_)
        return kWavCannotOpen;
    const std::uint32_t wanted = std::min(count, remaining_);
    remaining_ -= wanted;
    if (wanted == 0)
        return kWavOk;
    if (!readExact(file_, buffer, wanted))
        return kWavTruncatedData;
    bytesRead = wanted;
    return kWavOk;
}

void CWavReader::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    fileSize_ = riffEnd_ = dataStart_ = 0;
    dataSize_ = remaining_ = 0;
}

CWavWriter::~CWavWriter()
{
    if (file_)
        std::fclose(file_);
}

int CWavWriter::create(const std::filesystem::path& path, const WavFormat& format)
{
    const bool pcm = format.formatTag == kWavFormatPcm;
    if (!pcm && format.extra.size() > 0xFFFF)
        return kWavCannotWrite;
    try {
        buffer_.reserve(kWriteBufferSize);
    } catch (const std::bad_alloc&) {
        return kWavOutOfMemory;
    }
    file_ = std::fopen(path.c_str(), "w+b");
    if (!file_)
        return kWavCannotWrite;
    const std::uint32_t fmtSize = pcm ? 16 : std::uint32_t(18 + format.extra.size());
    std::vector<std::uint8_t> head(12 + 8 + fmtSize + (fmtSize & 1) + 12 + 8, 0);
    std::uint8_t* b = head.data();
    std::memcpy(b, "RIFFxxxxWAVEfmt ", 16);
    putLe32(b + 16, fmtSize);
    putLe16(b + 20, format.formatTag);
    putLe16(b + 22, format.channels);
    putLe32(b + 24, format.samplesPerSec);
    putLe32(b + 28, format.avgBytesPerSec);
    putLe16(b + 32, format.blockAlign);
    putLe16(b + 34, format.bitsPerSample);
    if (!pcm) {
        putLe16(b + 36, std::uint32_t(format.extra.size()));
        std::copy(format.extra.begin(), format.extra.end(), b + 38);
    }
    std::uint8_t* fact = b + 20 + fmtSize + (fmtSize & 1);
    std::memcpy(fact, "fact", 4);
    putLe32(fact + 4, 4);
    putLe32(fact + 8, 0xFFFFFFFFu); // marks a file still being written
    std::memcpy(fact + 12, "data", 4);
    factOffset_ = std::uint64_t(fact + 8 - b);
    dataStart_ = head.size();
    dataBytes_ = 0;
    error_ = kWavOk;
    if (std::fwrite(head.data(), 1, head.size(), file_) != head.size())
        error_ = kWavCannotWrite;
    return error_;
}

int CWavWriter::write(const void* data, std::size_t byteCount)
{
    if (!file_)
        return kWavCannotWrite;
    if (error_ == kWavOk && dataBytes_ + byteCount > kMaxDataBytes)
        error_ = kWavCannotWrite;
    if (error_ != kWavOk)
        return error_;
    dataBytes_ += byteCount;
    return writeBytes(data, byteCount);
}

int CWavWriter::writeBytes(const void* bytes, std::size_t count)
{
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    while (count > 0 && error_ == kWavOk) {
        const std::size_t part = std::min(count, kWriteBufferSize - buffer_.size());
        buffer_.insert(buffer_.end(), from, from + part);
        from += part;
        count -= part;
        if (buffer_.size() == kWriteBufferSize)
            flush();
    }
    return error_;
}

int CWavWriter::flush()
{
    if (error_ == kWavOk && !buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
        error_ = kWavCannotWrite;
    buffer_.clear();
    return error_;
}

int CWavWriter::finish(std::uint32_t sampleCount)
{
    if (!file_)
        return kWavCannotWrite;
    if (dataBytes_ & 1) {
        const std::uint8_t pad = 0;
        writeBytes(&pad, 1);
    }
    flush();
    std::uint8_t size[4];
    const auto patch = [&](std::uint64_t offset, std::uint32_t value) {
        putLe32(size, value);
        if (error_ == kWavOk && (!seekTo(file_, offset) || std::fwrite(size, 1, 4, file_) != 4))
            error_ = kWavCannotWrite;
    };
    patch(dataStart_ - 4, std::uint32_t(dataBytes_));
    patch(4, std::uint32_t(dataStart_ + dataBytes_ + (dataBytes_ & 1) - 8));
    patch(factOffset_, sampleCount);
    if (std::fclose(file_) != 0 && error_ == kWavOk)
        error_ = kWavCannotWrite;
    file_ = nullptr;
    return error_;
}

int CWavWriter::finishOrRemove(int code, std::uint32_t sampleCount, const std::filesystem::path& path)
{
    const int finished = finish(code == kWavOk ? sampleCount : 0);
    if (code == kWavOk)
        code = finished;
    if (code != kWavOk) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return code;
}
