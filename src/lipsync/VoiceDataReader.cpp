#include "VoiceDataReader.h"

#include <algorithm>
#include <cstring>

namespace {

bool readChunkHeader(std::FILE* file, char (&id)[4], uint32_t& size)
{
    unsigned char header[8];
    if (std::fread(header, 1, 8, file) != 8)
        return false;
    std::memcpy(id, header, 4);
    size = static_cast<uint32_t>(header[4] | header[5] << 8 | header[6] << 16) | uint32_t{header[7]} << 24;
    return true;
}

long remainingBytes(std::FILE* file)
{
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0)
        return -1;
    return end - here;
}

} // namespace

CVoiceDataReader::~CVoiceDataReader()
{
    if (file_)
        std::fclose(file_);
}

bool CVoiceDataReader::open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
    char id[4];
    uint32_t size = 0;
    char wave[4];
    if (!readChunkHeader(file_, id, size) || std::memcmp(id, "RIFF", 4) != 0 ||
        std::fread(wave, 1, 4, file_) != 4 || std::memcmp(wave, "WAVE", 4) != 0)
        return false;
    while (readChunkHeader(file_, id, size)) {
        if (std::memcmp(id, "data", 4) == 0) {
            const long left = remainingBytes(file_);
            if (left < 0)
                return false;
            dataSize_ = static_cast<uint32_t>(std::min<long>(size, left));
            bytesLeft_ = dataSize_;
            return true;
        }
        long skip = static_cast<long>(size) + (size & 1);
        if (std::memcmp(id, "fmt ", 4) == 0 && size >= 16) {
            unsigned char fmt[16];
            if (std::fread(fmt, 1, 16, file_) != 16)
                return false;
            skip -= 16;
            voiceFormat_ = fmt[0] == 1 && fmt[1] == 0 && fmt[2] == 1 && fmt[3] == 0 &&
                           (fmt[4] | fmt[5] << 8 | fmt[6] << 16 | fmt[7] << 24) == 16000 && fmt[14] == 16;
        }
        if (std::fseek(file_, skip, SEEK_CUR) != 0)
            return false;
    }
    return false;
}

long CVoiceDataReader::read(void* buffer, uint32_t count)
{
    if (!file_)
        return -1;
    const uint32_t wanted = std::min(count, bytesLeft_);
    const size_t got = std::fread(buffer, 1, wanted, file_);
    if (got != wanted && std::ferror(file_))
        return -1;
    bytesLeft_ -= static_cast<uint32_t>(got);
    if (got != wanted)
        bytesLeft_ = 0; // the file shrank under us; what was read stands
    return static_cast<long>(got);
}
