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
    if (!attach([handle](const char* symbol) { return dlsym(handle, symbol); })) {
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    return true;
}

bool ResourceLibrary::attach(const std::function<void*(const char*)>& resolve)
{
    auto loadString = reinterpret_cast<LoadStringFn>(resolve("cmrtLoadString"));
    if (!loadString)
        return false;
    loadString_ = loadString;
    // The tables are optional: an older library with strings only still serves the command-line tool.
    loadMenu_ = reinterpret_cast<LoadTableFn<CmrtMenuItem>>(resolve("cmrtLoadMenu"));
    loadAccelerators_ = reinterpret_cast<LoadTableFn<CmrtAccelerator>>(resolve("cmrtLoadAccelerators"));
    loadToolbar_ = reinterpret_cast<LoadTableFn<unsigned>>(resolve("cmrtLoadToolbar"));
    loadDialog_ = reinterpret_cast<LoadTableFn<CmrtDialogItem>>(resolve("cmrtLoadDialog"));
    loadBitmap_ = reinterpret_cast<LoadTableFn<unsigned char>>(resolve("cmrtLoadBitmap"));
    return true;
}

void ResourceLibrary::unload()
{
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
    loadString_ = nullptr;
    loadMenu_ = nullptr;
    loadAccelerators_ = nullptr;
    loadToolbar_ = nullptr;
    loadDialog_ = nullptr;
    loadBitmap_ = nullptr;
}

std::optional<std::string> ResourceLibrary::text(unsigned id) const
{
    const char* found = loadString_ ? loadString_(id) : nullptr;
    if (!found)
        return std::nullopt;
    return std::string(found);
}

std::span<const CmrtMenuItem> ResourceLibrary::menu(unsigned id) const { return table(loadMenu_, id); }

std::span<const CmrtAccelerator> ResourceLibrary::accelerators(unsigned id) const
{
    return table(loadAccelerators_, id);
}

std::span<const unsigned> ResourceLibrary::toolbar(unsigned id) const { return table(loadToolbar_, id); }

std::span<const CmrtDialogItem> ResourceLibrary::dialog(unsigned id) const { return table(loadDialog_, id); }

std::optional<std::string> ResourceLibrary::dialogText(unsigned id, unsigned control) const
{
    for (const CmrtDialogItem& item : dialog(id))
        if (item.control == control && item.text)
            return std::string(item.text);
    return std::nullopt;
}

std::span<const unsigned char> ResourceLibrary::bitmap(unsigned id) const { return table(loadBitmap_, id); }

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
