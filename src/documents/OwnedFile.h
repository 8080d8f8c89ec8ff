#pragma once

#include <cstdio>
#include <filesystem>

// A file extracted from a document and owned by it: held open for reading with writers shut out, and
// deleted when the owner lets go of it.
class OwnedFile {
public:
    OwnedFile() = default;
    ~OwnedFile() { release(); }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    OwnedFile(OwnedFile&& other) noexcept;
    OwnedFile& operator=(OwnedFile&& other) noexcept;

    // Takes `path` over and locks it; false (keeping nothing open) when it cannot be opened.
    bool open(const std::filesystem::path& path);
    // Closes the file and deletes it.
    void release();
    // Closes without deleting (used for a file other code must open freely); still owned.
    void closeHandle();
    bool isOpen() const { return file_ != nullptr; }
    std::FILE* handle() const { return file_; }

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
};
