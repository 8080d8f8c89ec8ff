#pragma once

#include "timeline/ui/LibraryActions.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

class ProjectStore;
class TimelineData;
class TrackInteraction;

// The collection flows done on a project store: unique names asked for again, pictures of exactly
// 256 x 256, clips converted to the voice format and measured, 100 entries at most, and every
// rename or removal carried over to the timeline (through the track editor when one is set, so
// that it is one undo step with the track change).
class StoreLibraryActions : public LibraryActions {
public:
    // Asked with the name that is taken; nothing means the user cancelled.
    using NamePrompt = std::function<std::optional<std::string>(const std::string& taken)>;

    StoreLibraryActions(ProjectStore& store, TimelineData& timeline, NamePrompt prompt);
    void setTrackEditor(TrackInteraction* editor) { editor_ = editor; }
    void setChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

    int count(LibraryKind kind) const override;
    std::string name(LibraryKind kind, int index) const override;
    std::string path(LibraryKind kind, int index) const override;
    std::int32_t clipLength(int index) const override;
    int selectedBackground() const override;

    bool addBackground(const std::filesystem::path& file, CoreStatus& status) override;
    bool addSoundClip(const std::filesystem::path& file, CoreStatus& status) override;
    bool remove(LibraryKind kind, int index, CoreStatus& status) override;
    bool rename(LibraryKind kind, int index, const std::string& name, CoreStatus& status) override;
    bool move(LibraryKind kind, int index, int delta) override;
    bool selectBackground(int index) override;

private:
    bool takenName(LibraryKind kind, const std::string& name, int except) const;
    bool uniqueName(LibraryKind kind, std::string& name, CoreStatus& status);
    void changed();

    ProjectStore& store_;
    TimelineData& timeline_;
    NamePrompt prompt_;
    TrackInteraction* editor_ = nullptr;
    std::function<void()> changed_;
    // Clip lengths measured once per file.
    mutable std::map<std::string, std::int32_t> lengths_;
};
