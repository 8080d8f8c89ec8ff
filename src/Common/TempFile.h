#pragma once

#include <filesystem>
#include <string>

// Temporary files named by a short prefix, made the way the rest of the system expects: the file is
// created empty at once, so its name stays unique until its owner deletes it.

// The system temporary folder (TMPDIR when set, else the platform's default).
std::filesystem::path tempFolder();

// Creates an empty file whose name starts with `prefix` in `folder` (the temporary folder when
// empty) and returns its path; an empty path when no file could be made.
std::filesystem::path createTempFile(const std::string& prefix, const std::filesystem::path& folder = {});

// A temporary file that is deleted when the object goes, unless it was released to a new owner.
class ScopedTempFile {
public:
    ScopedTempFile() = default;
    explicit ScopedTempFile(const std::string& prefix, const std::filesystem::path& folder = {})
        : path_(createTempFile(prefix, folder))
    {
    }
    ~ScopedTempFile() { remove(); }
    ScopedTempFile(const ScopedTempFile&) = delete;
    ScopedTempFile& operator=(const ScopedTempFile&) = delete;

    bool valid() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    // Hands the file over: it is no longer deleted by this object.
    std::filesystem::path release();
    void remove();

private:
    std::filesystem::path path_;
};
