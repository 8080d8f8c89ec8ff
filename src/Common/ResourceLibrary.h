#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

// The resource library of user texts, loaded by name from the program's folder at start-up.
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
    bool isLoaded() const { return handle_ != nullptr; }
    void unload();

    // The text of string `id`, or nothing when the library lacks it.
    std::optional<std::string> text(unsigned id) const;
    // The string `id` with its printf arguments filled in; a missing string yields "String N".
    template <typename... Args> std::string format(unsigned id, Args... args) const
    {
        std::string pattern = text(id).value_or("String " + std::to_string(id));
        return formatText(pattern, args...);
    }

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
    void* handle_ = nullptr;
    LoadStringFn loadString_ = nullptr;
};

// The folder that holds the running program.
std::filesystem::path programFolder();
