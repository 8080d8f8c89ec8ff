// The session's imports: packs into a project, face texture and mask, a voice or a recording as the
// timeline's voice, sound clips and background pictures into the collections, and asset copies out.
#include "session/ProjectSession.h"

#include "session/SessionMessages.h"

#include "Common/TempFile.h"
#include "audio/SoundClip.h"
#include "audio/VoiceConversion.h"
#include "audio/WavFile.h"
#include "documents/HeadPacks.h"
#include "face/CHeadModel.h"
#include "face/HeadModelLock.h"
#include "images/CJpegPicture.h"

#include <climits>
#include <cstdio>
#include <system_error>

namespace {

// The samples of a 16 kHz mono 16-bit WAV; -1 when it cannot be read.
long long voiceSamples(const std::filesystem::path& wav)
{
    CWavReader reader;
    if (reader.open(wav) != kWavOk || reader.startData() != kWavOk)
        return -1;
    return reader.dataSize() / 2;
}

std::string resultText(int code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(code));
    return std::string("result ") + hex + " (" + wavResultText(code) + ")";
}

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool anyItems(const TimelineData& timeline)
{
    return timeline.visemes().count() > 0 || timeline.expressions().count() > 0 ||
           timeline.headTurns().count() > 0 || timeline.events().count() > 0 || timeline.sounds().count() > 0;
}

// At most 255 characters, as the list's name field holds them.
std::string listName(const std::string& name)
{
    return name.substr(0, 255);
}

} // namespace

bool ProjectSession::importPack(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    if ((mode_ == EditorMode::headDefinition && kind == DocumentKind::headDefinition) ||
        (mode_ == EditorMode::headAnimation && kind == DocumentKind::headAnimation))
        return openDocument(path, false, status);
    if (!readPackAndApply(path, kind, status))
        return false;
    if (kind == DocumentKind::headDefinition)
        store_.setHeadDefinitionPackName(path.string());
    else
        store_.setHeadAnimationPackName(path.string());
    setModified(true);
    return true;
}

bool ProjectSession::importPicture(const std::filesystem::path& path, AssetKind kind, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    if (!store_.setAsset(path.string(), kind, false)) {
        status.setFileError(CoreStatus::FileError::notFound, path.string());
        return false;
    }
    // The store has changed even when the picture is refused: it keeps the picked path.
    setModified(true);
    const bool mask = kind == AssetKind::mask;
    CJpegPicture picture;
    if (!picture.loadFile(path.string(), mask)) {
        status.setMessage(kMsgImageUnreadable, {path.string()}, path.string());
        status.detail = CJpegPicture::errorText();
        return false;
    }
    if (picture.width() != kPictureSide || picture.height() != kPictureSide) {
        status.setMessage(kMsgImageSize, {kPictureSide, kPictureSide}, path.string());
        return false;
    }
    if (model_) {
        HeadModelLock guard(*model_);
        const auto* pixels = reinterpret_cast<const uint32_t*>(picture.pixels());
        if (mask)
            model_->writeSlotAlpha(0, pixels);
        else
            model_->writeSlotColour(0, pixels);
    }
    changed(kTexturesChanged);
    return true;
}

bool ProjectSession::importFaceTexture(const std::filesystem::path& path, CoreStatus& status)
{
    return importPicture(path, AssetKind::faceTexture, status);
}

bool ProjectSession::importMask(const std::filesystem::path& path, CoreStatus& status)
{
    return importPicture(path, AssetKind::mask, status);
}

bool ProjectSession::startTimelineOn(const std::filesystem::path& picked, std::filesystem::path working,
                                     bool owned, CoreStatus& status)
{
    const long long samples = voiceSamples(working);
    if (samples < 0) {
        status.setMessage(kMsgConversionFailed, {}, picked.string());
        return false;
    }
    {
        std::optional<HeadModelLock> guard;
        if (model_)
            guard.emplace(*model_);
        // A file the user picked goes in first, which records its name; then the file the timeline
        // really plays, when the store owns it.
        if (!owned || working != picked)
            store_.setAsset(picked.string(), AssetKind::speech, false);
        if (owned)
            store_.setAsset(working.string(), AssetKind::speech, true);
        store_.unlockSpeech();
    }
    const bool started =
        timeline_.setVoice(working, static_cast<std::int32_t>(std::min<long long>(samples, INT32_MAX)));
    // A recording that was never saved has no file of the user's to remember.
    const bool userFile = started && (!owned || working != picked);
    voicePicked_ = userFile ? picked : std::filesystem::path();
    voiceWorking_ = userFile ? timeline_.voiceFile() : std::filesystem::path();
    setModified(true);
    changed(kTimelineChanged);
    if (!started)
        status.setFileError(CoreStatus::FileError::cannotCreate, working.string());
    return started;
}

bool ProjectSession::importVoice(const std::filesystem::path& path, CoreStatus& status,
                                 const ProgressCallback& progress)
{
    if (refuseWhenBusy(status))
        return false;
    if (anyItems(timeline_) && !prompts_.confirm(kMsgVoiceReplacesItems)) {
        status.setMessage(kMsgCancelled);
        return false;
    }
    if (!isFile(path)) {
        status.setFileError(CoreStatus::FileError::notFound, path.string());
        return false;
    }
    ScopedTempFile converted("wav");
    if (!converted.valid()) {
        status.setMessage(kMsgConversionFailed, {}, path.string());
        status.detail = "no temporary file could be made";
        return false;
    }
    std::string reason;
    if (const int code = convertVoice(converted.path(), path, progress, reason); code != kWavOk) {
        status.setMessage(kMsgConversionFailed, {}, path.string());
        status.detail = reason.empty() ? resultText(code) : resultText(code) + ": " + reason;
        return false;
    }
    // From here the store owns the working copy and deletes it when it lets go.
    return startTimelineOn(path, converted.release(), true, status);
}

std::filesystem::path ProjectSession::voiceSource() const
{
    if (voiceWorking_.empty() || timeline_.voiceFile() != voiceWorking_)
        return {};
    return voicePicked_;
}

bool ProjectSession::useRecording(RecordingTake& take, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    auto saveTake = [&]() {
        if (!take.writeTo)
            return;
        if (std::optional<std::string> path = prompts_.askSavePath("wav"); path && take.writeTo(*path))
            take.savedPath = *path;
    };
    if (take.savedPath.empty() && prompts_.confirm(kMsgSaveRecordingFirst))
        saveTake();
    if (!prompts_.confirm(kMsgUseRecording)) {
        if (take.savedPath.empty() && prompts_.confirm(kMsgSaveRecordingAfter))
            saveTake();
        return true;
    }
    if (!take.savedPath.empty())
        return startTimelineOn(take.savedPath, take.savedPath, false, status);
    ScopedTempFile stored("~wv");
    if (!stored.valid() || !take.writeTo || !take.writeTo(stored.path())) {
        status.setMessage(kMsgRecordingNotStored, {stored.path().string()}, stored.path().string());
        return false;
    }
    const std::filesystem::path path = stored.release();
    return startTimelineOn(path, path, true, status);
}

bool ProjectSession::uniqueName(const AssetList& list, std::string& name, CoreStatus& status)
{
    auto taken = [&list](const std::string& candidate) {
        for (int i = 0; i < list.count(); ++i)
            if (equalsIgnoringCase(list.name(i), candidate))
                return true;
        return false;
    };
    name = listName(name);
    while (name.empty() || taken(name)) {
        std::optional<std::string> other = prompts_.askNewName(name);
        if (!other) {
            status.setMessage(kMsgNameTaken, {name});
            return false;
        }
        name = listName(*other);
    }
    return true;
}

bool ProjectSession::addSoundClip(const std::filesystem::path& path, CoreStatus& status,
                                  const std::optional<std::string>& name, const ProgressCallback& progress)
{
    if (refuseWhenBusy(status))
        return false;
    if (store_.soundClips().count() >= AssetList::kCapacity) {
        status.setMessage(kMsgListFull, {static_cast<long long>(AssetList::kCapacity)});
        return false;
    }
    std::string clipName = name ? *name : soundClipName(path);
    if (!uniqueName(store_.soundClips(), clipName, status))
        return false;
    SoundClipEntry entry;
    if (const int code = prepareSoundClip(path, entry, progress); code != kWavOk) {
        status.setMessage(kMsgConversionFailed, {}, path.string());
        status.detail = resultText(code);
        return false;
    }
    bool added = false;
    {
        std::optional<HeadModelLock> guard;
        if (model_)
            guard.emplace(*model_);
        added = store_.addSoundClip(entry.file.string(), clipName, true);
    }
    if (!added) {
        std::error_code ignored;
        std::filesystem::remove(entry.file, ignored);
        status.setMessage(kMsgListFull, {static_cast<long long>(AssetList::kCapacity)});
        return false;
    }
    setModified(true);
    changed(kListsChanged);
    return true;
}

std::int32_t ProjectSession::soundClipLength(int index) const
{
    const std::string path = store_.soundClips().path(index);
    const long long samples = path.empty() ? 0 : voiceSamples(path);
    return static_cast<std::int32_t>(std::clamp<long long>(samples, 0, INT32_MAX));
}

bool ProjectSession::addBackground(const std::filesystem::path& path, CoreStatus& status,
                                   const std::optional<std::string>& name)
{
    if (refuseWhenBusy(status))
        return false;
    if (store_.backgrounds().count() >= AssetList::kCapacity) {
        status.setMessage(kMsgListFull, {static_cast<long long>(AssetList::kCapacity)});
        return false;
    }
    std::string pictureName = name ? *name : fileStem(path.string());
    if (!uniqueName(store_.backgrounds(), pictureName, status))
        return false;
    CJpegPicture picture;
    if (!picture.loadFile(path.string(), false)) {
        status.setMessage(kMsgImageUnreadable, {path.string()}, path.string());
        status.detail = CJpegPicture::errorText();
        return false;
    }
    if (picture.width() != kPictureSide || picture.height() != kPictureSide) {
        status.setMessage(kMsgImageSize, {kPictureSide, kPictureSide}, path.string());
        return false;
    }
    {
        std::optional<HeadModelLock> guard;
        if (model_)
            guard.emplace(*model_);
        if (!store_.addBackground(path.string(), pictureName, false)) {
            status.setMessage(kMsgListFull, {static_cast<long long>(AssetList::kCapacity)});
            return false;
        }
    }
    setModified(true);
    changed(kListsChanged);
    return true;
}

bool ProjectSession::exportAsset(AssetKind kind, const std::filesystem::path& destination, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    const std::string source = store_.assetPath(kind);
    if (source.empty() || !isFile(source)) {
        status.setFileError(CoreStatus::FileError::notFound, source.empty() ? destination.string() : source);
        return false;
    }
    std::error_code error;
    if (std::filesystem::equivalent(source, destination, error))
        return true;
    std::filesystem::copy_file(source, destination, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        status.setFileError(CoreStatus::FileError::cannotCreate, destination.string());
        status.detail = error.message();
        return false;
    }
    return true;
}
