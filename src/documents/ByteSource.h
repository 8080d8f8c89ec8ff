#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

// Where readers take their bytes from: a file or a block of memory, so that the same reading code
// serves documents on disk, embedded payloads and fuzzers.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `count` bytes; returns how many arrived (fewer only at the end or on an error).
    virtual size_t read(void* buffer, size_t count) = 0;
    virtual bool seek(uint64_t position) = 0;
    virtual uint64_t position() const = 0;
    virtual uint64_t size() const = 0;

    uint64_t remaining() const { return size() > position() ? size() - position() : 0; }
    bool readExactly(void* buffer, size_t count) { return read(buffer, count) == count; }
    bool readU16(uint16_t& value);
    bool readU32(uint32_t& value);
    // Moves forward by `count` bytes; false (and no move) when that passes the end.
    bool skip(uint64_t count);
};

// A file opened for reading; closed when the source goes.
class FileByteSource : public ByteSource {
public:
    FileByteSource() = default;
    // Reads from a file the caller keeps open; the source neither closes nor rewinds it.
    explicit FileByteSource(std::FILE* borrowed);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool open(const std::filesystem::path& path);
    bool isOpen() const { return file_ != nullptr; }
    size_t read(void* buffer, size_t count) override;
    bool seek(uint64_t position) override;
    uint64_t position() const override;
    uint64_t size() const override { return size_; }

private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    uint64_t size_ = 0;
};

// A block of memory the caller keeps alive.
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    size_t read(void* buffer, size_t count) override;
    bool seek(uint64_t position) override;
    uint64_t position() const override { return position_; }
    uint64_t size() const override { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A stretch [start, start + length) of another source, seen as a source of its own (an embedded
// pack inside a project file). Positions are relative to the stretch.
class WindowByteSource : public ByteSource {
public:
    WindowByteSource(ByteSource& base, uint64_t start, uint64_t length);
    size_t read(void* buffer, size_t count) override;
    bool seek(uint64_t position) override;
    uint64_t position() const override { return position_; }
    uint64_t size() const override { return length_; }

private:
    ByteSource& base_;
    uint64_t start_;
    uint64_t length_;
    uint64_t position_ = 0;
};

// Where writers put their bytes: an output file whose first failure sticks, so a long write can be
// checked once at the end.
class FileSink {
public:
    FileSink() = default;
    ~FileSink();
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool create(const std::filesystem::path& path);
    bool write(const void* data, size_t count);
    bool writeU16(uint16_t value);
    bool writeU32(uint32_t value);
    uint64_t position() const;
    // Overwrites a 32-bit field written earlier at `offset` and returns to the end.
    bool patchU32(uint64_t offset, uint32_t value);
    // Flushes and closes; false when any write (or the close) failed.
    bool close();
    bool good() const { return file_ != nullptr && !failed_; }

private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// Little-endian fields in a byte buffer, for writers that assemble a record before writing it.
void appendU16(std::vector<uint8_t>& out, uint16_t value);
void appendU32(std::vector<uint8_t>& out, uint32_t value);
uint16_t loadU16(const uint8_t* bytes);
uint32_t loadU32(const uint8_t* bytes);
