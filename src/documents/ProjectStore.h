#pragma once

#include "documents/AssetList.h"
#include "documents/ChunkedContainer.h"
#include "documents/DocumentProperties.h"
#include "documents/OwnedFile.h"

#include <array>
#include <string>

// Slot and list numbers of every operation that names an asset.
enum class AssetKind : int {
    headMesh = 1,
    faceTexture = 2,
    mask = 3,
    teethTop = 5,
    teethBottom = 6,
    speech = 7,
    visemes = 8,
    expressions = 9,
    headTurns = 10,
    background = 12,
    soundClip = 17,
    sounds = 18,
    events = 19,
};

// True for the codes that name a single slot (not 12 and 17, which name list entries).
bool isSlotKind(AssetKind kind);

// The in-memory side of the project file and both packs: document paths, one slot per asset file,
// the background and sound clip lists and the three property blocks. Files extracted from documents
// are owned here and deleted when released; files the user picked are only remembered.
class ProjectStore {
public:
    ProjectStore() = default;
    ProjectStore(const ProjectStore&) = delete;
    ProjectStore& operator=(const ProjectStore&) = delete;

    void reset();
    void releaseHeadDefinitionAssets();
    void releaseHeadAnimationAssets();

    // Kinds 12 and 17 take a list index; an index out of range yields an empty text.
    std::string assetPath(AssetKind kind, int index = 0) const;
    bool isOwned(AssetKind kind, int index = 0) const;
    std::FILE* assetHandle(AssetKind kind, int index = 0) const;
    bool setAsset(const std::string& path, AssetKind kind, bool owned);
    void releaseSlot(AssetKind kind);
    // Closes an owned speech WAV's handle so that the audio layer can open it freely.
    void unlockSpeech();

    AssetList& backgrounds() { return backgrounds_; }
    const AssetList& backgrounds() const { return backgrounds_; }
    AssetList& soundClips() { return soundClips_; }
    const AssetList& soundClips() const { return soundClips_; }
    int selectedBackground() const { return selectedBackground_; }
    bool selectBackground(int index);
    bool addBackground(const std::string& path, const std::string& name, bool owned);
    bool removeBackground(int index);
    bool moveBackgroundUp(int index);
    bool moveBackgroundDown(int index);
    bool addSoundClip(const std::string& path, const std::string& name, bool owned);
    bool removeSoundClip(int index) { return soundClips_.remove(index); }
    bool moveSoundClipUp(int index) { return soundClips_.swap(index, index - 1); }
    bool moveSoundClipDown(int index) { return soundClips_.swap(index, index + 1); }

    SummaryInfo summary(DocumentKind kind) const;
    void setSummary(DocumentKind kind, const SummaryInfo& summary);
    void setHeadDefinitionPackName(const std::string& path);
    void setHeadAnimationPackName(const std::string& path);

    ProjectProperties& projectProperties() { return projectProperties_; }
    HeadDefinitionProperties& headDefinitionProperties() { return headDefinitionProperties_; }
    HeadAnimationProperties& headAnimationProperties() { return headAnimationProperties_; }
    const ProjectProperties& projectProperties() const { return projectProperties_; }
    const HeadDefinitionProperties& headDefinitionProperties() const { return headDefinitionProperties_; }
    const HeadAnimationProperties& headAnimationProperties() const { return headAnimationProperties_; }
    PropertyBlocks propertyBlocks();

    const std::string& projectPath() const { return projectPath_; }
    void setProjectPath(const std::string& path) { projectPath_ = path; }
    const std::string& packPath(DocumentKind kind) const;
    void setPackPath(DocumentKind kind, const std::string& path);

private:
    struct Slot {
        std::string path;
        OwnedFile file;
        bool owned = false;
    };
    static constexpr size_t kSlotCount = 20;
    Slot* slot(AssetKind kind);
    const Slot* slot(AssetKind kind) const;

    std::string projectPath_;
    std::string headDefinitionPackPath_;
    std::string headAnimationPackPath_;
    std::array<Slot, kSlotCount> slots_;
    AssetList backgrounds_;
    int selectedBackground_ = -1;
    AssetList soundClips_;
    ProjectProperties projectProperties_;
    HeadDefinitionProperties headDefinitionProperties_;
    HeadAnimationProperties headAnimationProperties_;
};
