#include "documents/OwnedFile.h"

#include <system_error>
#include <utility>

#ifndef _WIN32
#include <sys/file.h>
#endif

OwnedFile::OwnedFile(OwnedFile&& other) noexcept
    : path_(std::move(other.path_)), file_(std::exchange(other.file_, nullptr))
{
    other.path_.clear();
}

OwnedFile& OwnedFile::operator=(OwnedFile&& other) noexcept
{
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        other.path_.clear();
        file_ = std::exchange(other.file_, nullptr);
    }
    return *this;
}

bool OwnedFile::open(const std::filesystem::path& path)
{
    if (file_ && path == path_)
        return true;
    if (path == path_)
        closeHandle(); // the same file again: reopen it, never delete it first
    else
        release();
    path_ = path;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
#ifndef _WIN32
    // A shared lock: other readers are welcome, writers that respect locks are kept out.
    flock(fileno(file_), LOCK_SH | LOCK_NB);
#endif
    return true;
}

void OwnedFile::closeHandle()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

void OwnedFile::release()
{
    closeHandle();
    if (!path_.empty()) {
        std::error_code error;
        std::filesystem::remove(path_, error);
        path_.clear();
    }
}
