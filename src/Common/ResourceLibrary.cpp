#include "Common/ResourceLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

const char* ResourceLibrary::fileName() { return "libcmrt.so"; }

ResourceLibrary::~ResourceLibrary() { unload(); }

bool ResourceLibrary::load(const std::filesystem::path& folder)
{
    unload();
    std::string path = (folder / fileName()).string();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    auto loadString = reinterpret_cast<LoadStringFn>(dlsym(handle, "cmrtLoadString"));
    if (!loadString) {
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    loadString_ = loadString;
    return true;
}

void ResourceLibrary::unload()
{
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
    loadString_ = nullptr;
}

std::optional<std::string> ResourceLibrary::text(unsigned id) const
{
    const char* found = loadString_ ? loadString_(id) : nullptr;
    if (!found)
        return std::nullopt;
    return std::string(found);
}

std::string ResourceLibrary::missingLibraryMessage()
{
    return std::string("The file [") + fileName() + "] is missing.\nPlease reinstall Chattermask.";
}

std::filesystem::path programFolder()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}
