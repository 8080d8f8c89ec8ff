#pragma once

#include "Common/ResourceTypes.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The resource library of user texts, menus, toolbars, accelerators, dialog texts and pictures,
// loaded by name from the program's folder at start-up. The records it hands out point into the
// loaded library and stay valid until it is unloaded.
class ResourceLibrary {
public:
    // The platform's file name of the library.
    static const char* fileName();

    ResourceLibrary() = default;
    ~ResourceLibrary();
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;

    // Loads the library from `folder`; false when it is missing or is not our library.
    bool load(const std::filesystem::path& folder);
    // Takes the entry points from a library another loader opened (the studio loads it with Qt);
    // `resolve` gives a symbol's address or null. The caller keeps that library loaded.
    bool attach(const std::function<void*(const char*)>& resolve);
    bool isLoaded() const { return loadString_ != nullptr; }
    void unload();

    // The text of string `id`, or nothing when the library lacks it.
    std::optional<std::string> text(unsigned id) const;
    // The string `id` with its printf arguments filled in; a missing string yields "String N".
    template <typename... Args> std::string format(unsigned id, Args... args) const
    {
        std::string pattern = text(id).value_or("String " + std::to_string(id));
        return formatText(pattern, args...);
    }

    // Menu, accelerator table, toolbar (commands, 0 for a gap) and dialog texts by number; empty when
    // the library lacks them.
    std::span<const CmrtMenuItem> menu(unsigned id) const;
    std::span<const CmrtAccelerator> accelerators(unsigned id) const;
    std::span<const unsigned> toolbar(unsigned id) const;
    std::span<const CmrtDialogItem> dialog(unsigned id) const;
    // The text of control `control` of dialog `id`, or nothing.
    std::optional<std::string> dialogText(unsigned id, unsigned control) const;
    // The PNG bytes of bitmap `id`; empty when the library lacks it.
    std::span<const unsigned char> bitmap(unsigned id) const;

    // The one text the program itself holds: shown when the library cannot be loaded.
    static std::string missingLibraryMessage();

private:
    template <typename... Args> static std::string formatText(const std::string& pattern, Args... args)
    {
        if constexpr (sizeof...(Args) == 0) {
            return pattern;
        } else {
            int size = std::snprintf(nullptr, 0, pattern.c_str(), args...);
            if (size < 0)
                return pattern;
            std::string result(static_cast<size_t>(size) + 1, '\0');
            std::snprintf(result.data(), result.size(), pattern.c_str(), args...);
            result.resize(static_cast<size_t>(size));
            return result;
        }
    }

    using LoadStringFn = const char* (*)(unsigned);
    template <typename T> using LoadTableFn = const T* (*)(unsigned, unsigned*);
    template <typename T> static std::span<const T> table(LoadTableFn<T> load, unsigned id)
    {
        unsigned count = 0;
        const T* first = load ? load(id, &count) : nullptr;
        return first ? std::span<const T>(first, count) : std::span<const T>();
    }

    void* handle_ = nullptr;
    LoadStringFn loadString_ = nullptr;
    LoadTableFn<CmrtMenuItem> loadMenu_ = nullptr;
    LoadTableFn<CmrtAccelerator> loadAccelerators_ = nullptr;
    LoadTableFn<unsigned> loadToolbar_ = nullptr;
    LoadTableFn<CmrtDialogItem> loadDialog_ = nullptr;
    LoadTableFn<unsigned char> loadBitmap_ = nullptr;
};

// The folder that holds the running program.
std::filesystem::path programFolder();
