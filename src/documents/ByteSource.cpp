#include "documents/ByteSource.h"

#include <algorithm>
#include <cstring>

bool ByteSource::readU16(uint16_t& value)
{
    uint8_t bytes[2];
    if (!readExactly(bytes, sizeof bytes))
        return false;
    value = loadU16(bytes);
    return true;
}

bool ByteSource::readU32(uint32_t& value)
{
    uint8_t bytes[4];
    if (!readExactly(bytes, sizeof bytes))
        return false;
    value = loadU32(bytes);
    return true;
}

bool ByteSource::skip(uint64_t count)
{
    if (count > remaining())
        return false;
    return seek(position() + count);
}

FileByteSource::FileByteSource(std::FILE* borrowed) : file_(borrowed)
{
    if (file_ && std::fseek(file_, 0, SEEK_END) == 0) {
        long end = std::ftell(file_);
        size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    if (file_)
        std::fseek(file_, 0, SEEK_SET);
}

FileByteSource::~FileByteSource()
{
    if (file_ && owned_)
        std::fclose(file_);
}

bool FileByteSource::open(const std::filesystem::path& path)
{
    if (file_ && owned_)
        std::fclose(file_);
    file_ = std::fopen(path.c_str(), "rb");
    owned_ = file_ != nullptr;
    size_ = 0;
    if (!file_)
        return false;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::fclose(file_);
        file_ = nullptr;
        owned_ = false;
        return false;
    }
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        long end = std::ftell(file_);
        size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    std::fseek(file_, 0, SEEK_SET);
    return true;
}

size_t FileByteSource::read(void* buffer, size_t count)
{
    return file_ && count ? std::fread(buffer, 1, count, file_) : 0;
}

bool FileByteSource::seek(uint64_t position)
{
    return file_ && position <= size_ && std::fseek(file_, static_cast<long>(position), SEEK_SET) == 0;
}

uint64_t FileByteSource::position() const
{
    long at = file_ ? std::ftell(file_) : 0;
    return at > 0 ? static_cast<uint64_t>(at) : 0;
}

size_t MemoryByteSource::read(void* buffer, size_t count)
{
    size_t available = size_ - position_;
    size_t taken = count < available ? count : available;
    if (taken)
        std::memcpy(buffer, data_ + position_, taken);
    position_ += taken;
    return taken;
}

bool MemoryByteSource::seek(uint64_t position)
{
    if (position > size_)
        return false;
    position_ = static_cast<size_t>(position);
    return true;
}

WindowByteSource::WindowByteSource(ByteSource& base, uint64_t start, uint64_t length)
    : base_(base), start_(std::min(start, base.size())), length_(std::min(length, base.size() - start_))
{
}

size_t WindowByteSource::read(void* buffer, size_t count)
{
    uint64_t available = length_ - position_;
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(count, available));
    if (wanted == 0 || !base_.seek(start_ + position_))
        return 0;
    size_t got = base_.read(buffer, wanted);
    position_ += got;
    return got;
}

bool WindowByteSource::seek(uint64_t position)
{
    if (position > length_)
        return false;
    position_ = position;
    return true;
}

FileSink::~FileSink()
{
    if (file_)
        std::fclose(file_);
}

bool FileSink::create(const std::filesystem::path& path)
{
    if (file_)
        std::fclose(file_);
    file_ = std::fopen(path.c_str(), "wb");
    failed_ = file_ == nullptr;
    return file_ != nullptr;
}

bool FileSink::write(const void* data, size_t count)
{
    if (!good())
        return false;
    if (count && std::fwrite(data, 1, count, file_) != count)
        failed_ = true;
    return !failed_;
}

bool FileSink::writeU16(uint16_t value)
{
    std::vector<uint8_t> bytes;
    appendU16(bytes, value);
    return write(bytes.data(), bytes.size());
}

bool FileSink::writeU32(uint32_t value)
{
    std::vector<uint8_t> bytes;
    appendU32(bytes, value);
    return write(bytes.data(), bytes.size());
}

uint64_t FileSink::position() const
{
    long at = file_ ? std::ftell(file_) : -1;
    return at > 0 ? static_cast<uint64_t>(at) : 0;
}

bool FileSink::patchU32(uint64_t offset, uint32_t value)
{
    if (!good())
        return false;
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0 || !writeU32(value) ||
        std::fseek(file_, 0, SEEK_END) != 0)
        failed_ = true;
    return !failed_;
}

bool FileSink::close()
{
    if (!file_)
        return false;
    if (std::fclose(file_) != 0)
        failed_ = true;
    file_ = nullptr;
    return !failed_;
}

void appendU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

uint16_t loadU16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t loadU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
