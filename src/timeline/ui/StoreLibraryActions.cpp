#include "timeline/ui/StoreLibraryActions.h"

#include "audio/SoundClip.h"
#include "audio/WavFile.h"
#include "documents/AssetList.h"
#include "documents/ProjectStore.h"
#include "images/CJpegPicture.h"
#include "timeline/TimelineData.h"
#include "timeline/TrackInteraction.h"

#include <utility>

namespace {

constexpr std::size_t kNameLimit = 255;

AssetList* listOf(ProjectStore& store, LibraryKind kind)
{
    return kind == LibraryKind::backgrounds ? &store.backgrounds()
           : kind == LibraryKind::soundClips ? &store.soundClips()
                                             : nullptr;
}

std::int32_t measureClip(const std::string& path)
{
    CWavReader reader;
    if (reader.open(path) != 0 || reader.startData() != 0)
        return 0;
    const WavFormat& format = reader.format();
    const std::uint32_t frame = std::uint32_t(std::max<int>(1, format.blockAlign));
    return std::int32_t(std::min<std::uint32_t>(reader.dataSize() / frame, 0x7FFFFFFF));
}

} // namespace

StoreLibraryActions::StoreLibraryActions(ProjectStore& store, TimelineData& timeline, NamePrompt prompt)
    : store_(store), timeline_(timeline), prompt_(std::move(prompt))
{
}

int StoreLibraryActions::count(LibraryKind kind) const
{
    const AssetList* list = listOf(store_, kind);
    return list ? list->count() : 0;
}

std::string StoreLibraryActions::name(LibraryKind kind, int index) const
{
    const AssetList* list = listOf(store_, kind);
    return list ? list->name(index) : std::string();
}

std::string StoreLibraryActions::path(LibraryKind kind, int index) const
{
    const AssetList* list = listOf(store_, kind);
    return list ? list->path(index) : std::string();
}

std::int32_t StoreLibraryActions::clipLength(int index) const
{
    const std::string path = store_.soundClips().path(index);
    if (path.empty())
        return 0;
    const auto known = lengths_.find(path);
    if (known != lengths_.end())
        return known->second;
    return lengths_[path] = measureClip(path);
}

int StoreLibraryActions::selectedBackground() const
{
    return store_.selectedBackground();
}

bool StoreLibraryActions::takenName(LibraryKind kind, const std::string& name, int except) const
{
    const AssetList* list = listOf(store_, kind);
    for (int i = 0; list && i < list->count(); ++i)
        if (i != except && equalsIgnoringCase(list->name(i), name))
            return true;
    return false;
}

bool StoreLibraryActions::uniqueName(LibraryKind kind, std::string& name, CoreStatus& status)
{
    if (name.size() > kNameLimit)
        name.resize(kNameLimit);
    while (name.empty() || takenName(kind, name, -1)) {
        std::optional<std::string> answer = prompt_ ? prompt_(name) : std::nullopt;
        if (!answer) {
            status.setMessage(kLibraryCancelled);
            return false;
        }
        name = answer->substr(0, kNameLimit);
    }
    return true;
}

void StoreLibraryActions::changed()
{
    if (changed_)
        changed_();
}

bool StoreLibraryActions::addBackground(const std::filesystem::path& file, CoreStatus& status)
{
    if (count(LibraryKind::backgrounds) >= kLibraryCapacity) {
        status.setMessage(kLibraryListFull, {kLibraryCapacity});
        return false;
    }
    // The picture is checked before a name is asked for: a name given for a file that is then
    // refused would be asked in vain.
    CJpegPicture picture;
    if (!picture.loadFile(file.string(), false)) {
        status.setMessage(kLibraryImageUnreadable, {file.string()}, file.string());
        status.detail = CJpegPicture::errorText();
        return false;
    }
    if (picture.width() != kLibraryPictureSide || picture.height() != kLibraryPictureSide) {
        status.setMessage(kLibraryImageSize, {kLibraryPictureSide, kLibraryPictureSide}, file.string());
        return false;
    }
    std::string name = fileStem(file.string());
    if (!uniqueName(LibraryKind::backgrounds, name, status))
        return false;
    if (!store_.addBackground(file.string(), name, false)) {
        status.setMessage(kLibraryListFull, {kLibraryCapacity});
        return false;
    }
    changed();
    return true;
}

bool StoreLibraryActions::addSoundClip(const std::filesystem::path& file, CoreStatus& status)
{
    if (count(LibraryKind::soundClips) >= kLibraryCapacity) {
        status.setMessage(kLibraryListFull, {kLibraryCapacity});
        return false;
    }
    std::string name = soundClipName(file);
    if (!uniqueName(LibraryKind::soundClips, name, status))
        return false;
    SoundClipEntry entry;
    if (prepareSoundClip(file, entry) != 0) {
        status.setMessage(kLibraryConversionFailed, {}, file.string());
        return false;
    }
    if (!store_.addSoundClip(entry.file.string(), name, true)) {
        std::error_code ignored;
        std::filesystem::remove(entry.file, ignored);
        status.setMessage(kLibraryListFull, {kLibraryCapacity});
        return false;
    }
    lengths_[entry.file.string()] = entry.samples;
    changed();
    return true;
}

bool StoreLibraryActions::remove(LibraryKind kind, int index, CoreStatus& status)
{
    (void)status;
    const AssetList* list = listOf(store_, kind);
    if (!list || index < 0 || index >= list->count())
        return false;
    const std::string removed = list->name(index);
    const bool done = kind == LibraryKind::backgrounds ? store_.removeBackground(index) : store_.removeSoundClip(index);
    if (!done)
        return false;
    if (kind == LibraryKind::backgrounds) {
        if (editor_)
            editor_->removeImage(removed);
        else if (timeline_.deleteImageEvents(removed) > 0)
            timeline_.notifyChanged(kEventsChanged);
    } else {
        if (editor_)
            editor_->removeSound(removed);
        else if (timeline_.deleteSounds(removed) > 0)
            timeline_.notifyChanged(kSoundsChanged);
    }
    changed();
    return true;
}

bool StoreLibraryActions::rename(LibraryKind kind, int index, const std::string& requested, CoreStatus& status)
{
    AssetList* list = listOf(store_, kind);
    if (!list || index < 0 || index >= list->count())
        return false;
    const std::string name = requested.substr(0, kNameLimit);
    const std::string old = list->name(index);
    if (name.empty() || name == old)
        return true;
    if (takenName(kind, name, index)) {
        status.setMessage(kLibraryNameTaken, {name});
        return false;
    }
    if (!list->setName(index, name))
        return false;
    if (kind == LibraryKind::backgrounds) {
        if (editor_)
            editor_->renameImage(old, name);
        else if (timeline_.renameImageEvents(old, name) > 0)
            timeline_.notifyChanged(kEventsChanged);
    } else {
        if (editor_)
            editor_->renameSound(old, name);
        else if (timeline_.renameSounds(old, name) > 0)
            timeline_.notifyChanged(kSoundsChanged);
    }
    changed();
    return true;
}

bool StoreLibraryActions::move(LibraryKind kind, int index, int delta)
{
    bool done = false;
    if (kind == LibraryKind::backgrounds)
        done = delta < 0 ? store_.moveBackgroundUp(index) : store_.moveBackgroundDown(index);
    else if (kind == LibraryKind::soundClips)
        done = delta < 0 ? store_.moveSoundClipUp(index) : store_.moveSoundClipDown(index);
    if (done)
        changed();
    return done;
}

bool StoreLibraryActions::selectBackground(int index)
{
    const bool done = store_.selectBackground(index);
    if (done)
        changed();
    return done;
}
