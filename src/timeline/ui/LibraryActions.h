#pragma once

#include "Common/CoreStatus.h"

#include <cstdint>
#include <filesystem>
#include <string>

// The four library lists.
enum class LibraryKind { visemes = 0, expressions = 1, backgrounds = 2, soundClips = 3 };

// Message numbers of the resource library the collection flows report.
constexpr unsigned kLibraryImageUnreadable = 0xE81E; // with the path
constexpr unsigned kLibraryImageSize = 0xE81F;       // with 256 and 256
constexpr unsigned kLibraryConversionFailed = 0xE829;
constexpr unsigned kLibraryCancelled = 0xE82D;       // the user gave up: nothing to show
constexpr unsigned kLibraryListFull = 0xE8A0;        // with 100
constexpr unsigned kLibraryNameTaken = 0xE8A1;       // with the name
constexpr int kLibraryPictureSide = 256;
constexpr int kLibraryCapacity = 100;

// What the picture and clip lists need of the project: its two collections and the flows that
// change them. The studio connects it to its session; StoreLibraryActions does the work on a
// project store directly. Changes are carried over to the tracks by the implementation.
class LibraryActions {
public:
    virtual ~LibraryActions() = default;

    virtual int count(LibraryKind kind) const = 0;
    virtual std::string name(LibraryKind kind, int index) const = 0;
    // The file behind an entry (for thumbnails); empty when not known.
    virtual std::string path(LibraryKind kind, int index) const
    {
        (void)kind;
        (void)index;
        return {};
    }
    // Length in samples of sound clip `index`, 0 when unknown.
    virtual std::int32_t clipLength(int index) const = 0;
    // The picture shown behind the head in the preview, -1 for none.
    virtual int selectedBackground() const = 0;

    // Adds one file under its base name, asking for another while that is taken.
    virtual bool addBackground(const std::filesystem::path& file, CoreStatus& status) = 0;
    virtual bool addSoundClip(const std::filesystem::path& file, CoreStatus& status) = 0;
    // Removing deletes the picture's events or the clip's sound items too; renaming renames them.
    virtual bool remove(LibraryKind kind, int index, CoreStatus& status) = 0;
    // An empty name changes nothing; a name another entry has is refused.
    virtual bool rename(LibraryKind kind, int index, const std::string& name, CoreStatus& status) = 0;
    // Exchanges entry `index` with its neighbour `index + delta` (delta -1 or 1).
    virtual bool move(LibraryKind kind, int index, int delta) = 0;
    virtual bool selectBackground(int index) = 0;
};
