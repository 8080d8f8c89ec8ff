#include "documents/ProjectStore.h"

#include <filesystem>

namespace {

constexpr size_t kPathField = 260;
const AssetKind kHeadDefinitionSlots[] = {AssetKind::headMesh, AssetKind::faceTexture, AssetKind::mask,
                                          AssetKind::teethTop, AssetKind::teethBottom};
const AssetKind kHeadAnimationSlots[] = {AssetKind::speech,    AssetKind::visemes, AssetKind::expressions,
                                         AssetKind::headTurns, AssetKind::events,  AssetKind::sounds};

std::string nameWithExtension(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

bool isSlotKind(AssetKind kind)
{
    switch (kind) {
    case AssetKind::headMesh:
    case AssetKind::faceTexture:
    case AssetKind::mask:
    case AssetKind::teethTop:
    case AssetKind::teethBottom:
    case AssetKind::speech:
    case AssetKind::visemes:
    case AssetKind::expressions:
    case AssetKind::headTurns:
    case AssetKind::sounds:
    case AssetKind::events:
        return true;
    default:
        return false;
    }
}

ProjectStore::Slot* ProjectStore::slot(AssetKind kind)
{
    return isSlotKind(kind) ? &slots_[static_cast<size_t>(kind)] : nullptr;
}

const ProjectStore::Slot* ProjectStore::slot(AssetKind kind) const
{
    return isSlotKind(kind) ? &slots_[static_cast<size_t>(kind)] : nullptr;
}

void ProjectStore::reset()
{
    projectPath_.clear();
    headDefinitionPackPath_.clear();
    headAnimationPackPath_.clear();
    releaseHeadDefinitionAssets();
    releaseHeadAnimationAssets();
}

void ProjectStore::releaseHeadDefinitionAssets()
{
    for (AssetKind kind : kHeadDefinitionSlots)
        releaseSlot(kind);
}

void ProjectStore::releaseHeadAnimationAssets()
{
    for (AssetKind kind : kHeadAnimationSlots)
        releaseSlot(kind);
    backgrounds_.clear();
    selectedBackground_ = -1;
    soundClips_.clear();
}

std::string ProjectStore::assetPath(AssetKind kind, int index) const
{
    if (kind == AssetKind::background)
        return backgrounds_.path(index);
    if (kind == AssetKind::soundClip)
        return soundClips_.path(index);
    const Slot* found = slot(kind);
    return found ? found->path : std::string();
}

bool ProjectStore::isOwned(AssetKind kind, int index) const
{
    if (kind == AssetKind::background)
        return backgrounds_.isOwned(index);
    if (kind == AssetKind::soundClip)
        return soundClips_.isOwned(index);
    const Slot* found = slot(kind);
    return found && found->owned;
}

std::FILE* ProjectStore::assetHandle(AssetKind kind, int index) const
{
    if (kind == AssetKind::background)
        return backgrounds_.handle(index);
    if (kind == AssetKind::soundClip)
        return soundClips_.handle(index);
    const Slot* found = slot(kind);
    return found ? found->file.handle() : nullptr;
}

bool ProjectStore::setAsset(const std::string& path, AssetKind kind, bool owned)
{
    Slot* target = slot(kind);
    // A path cut to fit its field would name another file; refuse it rather than lose the asset.
    if (!target || path.size() >= kPathField)
        return false;
    if (!(target->owned && target->path == path))
        releaseSlot(kind);
    target->path = path;
    target->owned = owned;
    if (owned) {
        target->file.open(path);
        if (kind == AssetKind::speech)
            target->file.closeHandle();
        return true;
    }
    if (kind == AssetKind::faceTexture)
        copyToField(headDefinitionProperties_.pictureNames.faceTexture, nameWithExtension(path));
    else if (kind == AssetKind::mask)
        copyToField(headDefinitionProperties_.pictureNames.mask, nameWithExtension(path));
    else if (kind == AssetKind::speech)
        copyToField(headAnimationProperties_.voiceName, nameWithExtension(path));
    return true;
}

void ProjectStore::releaseSlot(AssetKind kind)
{
    Slot* target = slot(kind);
    if (!target)
        return;
    if (target->owned)
        target->file.release();
    target->owned = false;
    target->path.clear();
}

void ProjectStore::unlockSpeech()
{
    slots_[static_cast<size_t>(AssetKind::speech)].file.closeHandle();
}

bool ProjectStore::selectBackground(int index)
{
    if (index < -1 || index >= AssetList::kCapacity)
        return false;
    selectedBackground_ = index;
    return true;
}

bool ProjectStore::addBackground(const std::string& path, const std::string& name, bool owned)
{
    return backgrounds_.add(path, name, owned);
}

bool ProjectStore::removeBackground(int index)
{
    int oldLast = backgrounds_.count() - 1;
    if (!backgrounds_.remove(index))
        return false;
    if (selectedBackground_ == oldLast)
        selectedBackground_ = -1;
    return true;
}

bool ProjectStore::moveBackgroundUp(int index)
{
    if (!backgrounds_.swap(index, index - 1))
        return false;
    if (selectedBackground_ == index)
        selectedBackground_ = index - 1;
    else if (selectedBackground_ == index - 1)
        selectedBackground_ = index;
    return true;
}

bool ProjectStore::moveBackgroundDown(int index)
{
    if (!backgrounds_.swap(index, index + 1))
        return false;
    if (selectedBackground_ == index)
        selectedBackground_ = index + 1;
    else if (selectedBackground_ == index + 1)
        selectedBackground_ = index;
    return true;
}

bool ProjectStore::addSoundClip(const std::string& path, const std::string& name, bool owned)
{
    return soundClips_.add(path, name, owned);
}

SummaryInfo ProjectStore::summary(DocumentKind kind) const
{
    switch (kind) {
    case DocumentKind::project:
        return projectProperties_.summary;
    case DocumentKind::headDefinition:
        return headDefinitionProperties_.summary;
    case DocumentKind::headAnimation:
        return headAnimationProperties_.summary;
    }
    return {};
}

void ProjectStore::setSummary(DocumentKind kind, const SummaryInfo& summary)
{
    switch (kind) {
    case DocumentKind::project:
        projectProperties_.summary = summary;
        break;
    case DocumentKind::headDefinition:
        headDefinitionProperties_.summary = summary;
        break;
    case DocumentKind::headAnimation:
        headAnimationProperties_.summary = summary;
        break;
    }
}

void ProjectStore::setHeadDefinitionPackName(const std::string& path)
{
    copyToField(projectProperties_.packNames.headDefinition, nameWithExtension(path));
}

void ProjectStore::setHeadAnimationPackName(const std::string& path)
{
    copyToField(projectProperties_.packNames.headAnimation, nameWithExtension(path));
}

PropertyBlocks ProjectStore::propertyBlocks()
{
    return PropertyBlocks{&projectProperties_, &headDefinitionProperties_, &headAnimationProperties_};
}

const std::string& ProjectStore::packPath(DocumentKind kind) const
{
    if (kind == DocumentKind::headDefinition)
        return headDefinitionPackPath_;
    if (kind == DocumentKind::headAnimation)
        return headAnimationPackPath_;
    return projectPath_;
}

void ProjectStore::setPackPath(DocumentKind kind, const std::string& path)
{
    if (kind == DocumentKind::headDefinition)
        headDefinitionPackPath_ = path;
    else if (kind == DocumentKind::headAnimation)
        headAnimationPackPath_ = path;
    else
        projectPath_ = path;
}
