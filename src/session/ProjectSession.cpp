// The session's document lifecycle: flags and title, reset, new from default content, open by path,
// applying the two halves of a document, and the save-changes question.
#include "session/ProjectSession.h"

#include "session/SessionMessages.h"

#include "documents/HeadPacks.h"
#include "documents/ProjectFile.h"
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "face/HeadModelLock.h"
#include "images/CJpegPicture.h"
#include "lipsync/PhonemeTables.h"

#include <algorithm>

namespace {

constexpr unsigned kEverything = kDocumentReplaced | kTimelineChanged | kTexturesChanged | kModifiedChanged |
                                 kTitleChanged | kListsChanged | kHeadChanged;

const char* extensionOf(EditorMode mode)
{
    switch (mode) {
    case EditorMode::project:
        return "cmp";
    case EditorMode::headDefinition:
        return "hdp";
    case EditorMode::headAnimation:
        return "hap";
    }
    return "cmp";
}

std::filesystem::path defaultContent(const std::filesystem::path& root, DefaultHead head,
                                     const char* extension)
{
    return root / "Default" / (std::string(head == DefaultHead::male ? "Male" : "Female") + "." + extension);
}

const uint32_t* pixelsOf(const CJpegPicture& picture)
{
    return reinterpret_cast<const uint32_t*>(picture.pixels());
}

bool fitsTextureSlot(const CJpegPicture& picture)
{
    return picture.isValid() && picture.width() == kPictureSide && picture.height() == kPictureSide;
}

} // namespace

ProjectSession::ProjectSession(EditorMode mode, SessionPrompts& prompts,
                               const std::filesystem::path& contentRoot, SessionHead head)
    : mode_(mode), prompts_(prompts), contentRoot_(contentRoot), itemNames_(builtInItemNames())
{
    itemNames_.visemeShortName = visemeShortName;
    if (head == SessionHead::generic)
        model_ = readTextHeadFile(contentRoot_ / "Models" / "MaleHead.cmm");
    reset();
}

ProjectSession::~ProjectSession() = default;

std::string ProjectSession::documentPath() const
{
    switch (mode_) {
    case EditorMode::project:
        return store_.projectPath();
    case EditorMode::headDefinition:
        return store_.packPath(DocumentKind::headDefinition);
    case EditorMode::headAnimation:
        return store_.packPath(DocumentKind::headAnimation);
    }
    return {};
}

std::string ProjectSession::shownName() const
{
    return untitled_ ? std::string("Untitled.") + extensionOf(mode_) : documentPath();
}

void ProjectSession::setModified(bool modified)
{
    if (modified == modified_)
        return;
    modified_ = modified;
    changed(kModifiedChanged);
}

bool ProjectSession::isBusy() const
{
    if (!model_)
        return false;
    HeadModelLock guard(*model_);
    return model_->busy() != 0;
}

bool ProjectSession::refuseWhenBusy(CoreStatus& status) const
{
    if (!isBusy())
        return false;
    status.setMessage(kMsgModelBusy);
    return true;
}

void ProjectSession::addObserver(SessionObserver* observer)
{
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void ProjectSession::removeObserver(SessionObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void ProjectSession::notify(unsigned changes)
{
    changed(changes);
}

void ProjectSession::changed(unsigned changes)
{
    // A copy: an observer may remove itself while it is told.
    const std::vector<SessionObserver*> told = observers_;
    for (SessionObserver* observer : told)
        observer->sessionChanged(changes);
}

void ProjectSession::setFlags(bool modified, bool hasFile, bool untitled)
{
    unsigned changes = 0;
    if (modified != modified_)
        changes |= kModifiedChanged;
    if (hasFile != hasFile_ || untitled != untitled_)
        changes |= kTitleChanged;
    modified_ = modified;
    hasFile_ = hasFile;
    untitled_ = untitled;
    if (changes)
        changed(changes);
}

void ProjectSession::setTeethPictures(const std::string& top, const std::string& bottom)
{
    teethTop_ = top;
    teethBottom_ = bottom;
}

void ProjectSession::refreshContentFlags()
{
    store_.headAnimationProperties().contentFlags = contentFlagsOf(timeline_);
}

bool ProjectSession::promptSaveChanges(CoreStatus& status)
{
    if (modified_) {
        switch (prompts_.askSaveChanges()) {
        case SessionPrompts::Answer::cancel:
            status.setMessage(kMsgCancelled);
            return false;
        case SessionPrompts::Answer::yes:
            if (!save(status))
                return false;
            break;
        case SessionPrompts::Answer::no:
            break;
        }
    }
    setModified(false);
    return true;
}

void ProjectSession::reset()
{
    if (model_) {
        HeadModelLock guard(*model_);
        store_.reset();
    } else {
        store_.reset();
    }
    timeline_.release();
    timeline_.setSampleCount(0);
    modified_ = false;
    changed(kEverything);
}

bool ProjectSession::newDocument(DefaultHead head, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    reset();
    CoreStatus inner;
    bool made = false;
    if (mode_ == EditorMode::project) {
        made = loadProject(store_, defaultContent(contentRoot_, head, "cmx"), kLoadAll, inner) &&
               applyHeadDefinition(inner) && applyHeadAnimation(inner);
    } else {
        made =
            readPackAndApply(defaultContent(contentRoot_, head, "hdx"), DocumentKind::headDefinition,
                             inner) &&
            readPackAndApply(defaultContent(contentRoot_, head, "hax"), DocumentKind::headAnimation, inner);
    }
    if (!made) {
        reset();
        status.setMessage(kMsgNewFailed);
        status.detail = inner.path;
        return false;
    }
    setFlags(false, false, true);
    changed(kEverything);
    return true;
}

bool ProjectSession::readPackAndApply(const std::filesystem::path& path, DocumentKind kind,
                                      CoreStatus& status)
{
    {
        std::optional<HeadModelLock> guard;
        if (model_)
            guard.emplace(*model_);
        if (!readPack(store_, path, kind, status))
            return false;
    }
    return kind == DocumentKind::headDefinition ? applyHeadDefinition(status) : applyHeadAnimation(status);
}

bool ProjectSession::openInPlace(const std::filesystem::path& path, CoreStatus& status)
{
    const std::filesystem::path maleHeadAnimation = defaultContent(contentRoot_, DefaultHead::male, "hax");
    const std::filesystem::path maleHeadDefinition = defaultContent(contentRoot_, DefaultHead::male, "hdx");
    switch (mode_) {
    case EditorMode::project: {
        bool loaded = false;
        {
            std::optional<HeadModelLock> guard;
            if (model_)
                guard.emplace(*model_);
            loaded = loadProject(store_, path, kLoadAll, status);
        }
        return loaded && applyHeadDefinition(status) && applyHeadAnimation(status);
    }
    case EditorMode::headDefinition:
        store_.reset();
        return readPackAndApply(path, DocumentKind::headDefinition, status) &&
               readPackAndApply(maleHeadAnimation, DocumentKind::headAnimation, status);
    case EditorMode::headAnimation:
        store_.reset();
        return readPackAndApply(maleHeadDefinition, DocumentKind::headDefinition, status) &&
               readPackAndApply(path, DocumentKind::headAnimation, status);
    }
    return false;
}

bool ProjectSession::openDocument(const std::filesystem::path& path, bool untitled, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    if (!openInPlace(path, status)) {
        // The flags stay; the half-read store and the timeline built from it go.
        store_.reset();
        timeline_.release();
        timeline_.setSampleCount(0);
        changed(kEverything);
        return false;
    }
    if (mode_ != EditorMode::project)
        store_.setPackPath(mode_ == EditorMode::headDefinition ? DocumentKind::headDefinition
                                                               : DocumentKind::headAnimation,
                           path.string());
    modified_ = false;
    hasFile_ = true;
    untitled_ = untitled;
    changed(kEverything);
    return true;
}

bool ProjectSession::applyHeadDefinition(CoreStatus& status)
{
    const std::string mesh = store_.assetPath(AssetKind::headMesh);
    if (!model_)
        return true; // nothing live to fill: the mesh stays as the document stores it
    CJpegPicture face, mask;
    const bool haveFace =
        face.loadFile(store_.assetPath(AssetKind::faceTexture), false) && fitsTextureSlot(face);
    const bool haveMask = mask.loadFile(store_.assetPath(AssetKind::mask), true) && fitsTextureSlot(mask);
    {
        HeadModelLock guard(*model_);
        if (!mesh.empty()) {
            std::vector<std::uint8_t> bytes;
            if (!readFileBytes(mesh, bytes) ||
                !readMeshRecordInto(ByteView{bytes.data(), bytes.size()}, *model_)) {
                // The pack's mesh is not a head this program's model can take.
                status.setMessage(kMsgDamaged, {}, mesh);
                return false;
            }
        }
        if (haveFace) {
            if (haveMask)
                face.takeAlphaFrom(mask);
            model_->writeSlotPixels(0, pixelsOf(face));
        } else if (haveMask) {
            model_->writeSlotAlpha(0, pixelsOf(mask));
        }
    }
    changed(kHeadChanged | kTexturesChanged);
    return true;
}

bool ProjectSession::applyHeadAnimation(CoreStatus&)
{
    // As in the editor, a damaged item file costs its own track only.
    loadTimelineFromStore(store_, timeline_, itemNames_);
    store_.unlockSpeech();
    changed(kTimelineChanged | kListsChanged);
    return true;
}
