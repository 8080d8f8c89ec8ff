#pragma once

#include "documents/OwnedFile.h"

#include <array>
#include <string>

// One of the store's two lists (background images, sound clips): at most 100 entries, each a display
// name and a file that is either the user's (only remembered) or owned (locked, deleted on release).
// Names may be set on positions past the count; an entry added there later keeps that name.
class AssetList {
public:
    static constexpr int kCapacity = 100;

    int count() const { return count_; }
    bool add(const std::string& path, const std::string& name, bool owned);
    bool remove(int index);
    bool swap(int first, int second);
    void clear();

    std::string path(int index) const;
    std::string name(int index) const;
    bool setName(int index, const std::string& name);
    bool isOwned(int index) const;
    std::FILE* handle(int index) const;
    // Path of the first entry whose name matches, ignoring case; empty when none does.
    std::string findPath(const std::string& name) const;

private:
    struct Entry {
        std::string name;
        std::string path;
        OwnedFile file;
        bool owned = false;
    };
    bool validIndex(int index) const { return index >= 0 && index < count_; }
    static void releaseEntryFile(Entry& entry);

    std::array<Entry, kCapacity> entries_;
    int count_ = 0;
};

// The display name a file gets when none is given: its name without folder and extension.
std::string fileStem(const std::string& path);
// Compares two texts ignoring ASCII case.
bool equalsIgnoringCase(const std::string& a, const std::string& b);
