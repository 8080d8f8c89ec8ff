// The session's saves: the document of the mode, with the store first brought up to date from the live
// head model, teeth choice and timeline, and the `.cmt` stream.
#include "session/ProjectSession.h"

#include "session/SessionMessages.h"

#include "Common/TempFile.h"
#include "documents/CmtStreamWriter.h"
#include "documents/HeadPacks.h"
#include "documents/ProjectFile.h"
#include "documents/StreamProjectInputs.h"
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "face/HeadModelLock.h"

namespace {

constexpr int kNeutralSet = 1;

// The store's document paths, which a save moves on its way and a failed save must give back.
struct DocumentPaths {
    std::string project, headDefinition, headAnimation;

    explicit DocumentPaths(const ProjectStore& store)
        : project(store.projectPath()), headDefinition(store.packPath(DocumentKind::headDefinition)),
          headAnimation(store.packPath(DocumentKind::headAnimation))
    {
    }
    void restore(ProjectStore& store) const
    {
        store.setProjectPath(project);
        store.setPackPath(DocumentKind::headDefinition, headDefinition);
        store.setPackPath(DocumentKind::headAnimation, headAnimation);
    }
};

} // namespace

bool ProjectSession::save(CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    if (untitled_ || documentPath().empty()) {
        std::optional<std::string> path = prompts_.askSavePath(mode_ == EditorMode::project          ? "cmp"
                                                               : mode_ == EditorMode::headDefinition ? "hdp"
                                                                                                     : "hap");
        if (!path) {
            status.setMessage(kMsgCancelled);
            return false;
        }
        return saveAs(*path, status);
    }
    if (!writeDocument(documentPath(), modeKind(), status))
        return false;
    setFlags(false, true, untitled_);
    return true;
}

bool ProjectSession::saveAs(const std::filesystem::path& path, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    if (!writeDocument(path, modeKind(), status))
        return false;
    setFlags(false, true, false);
    changed(kTitleChanged);
    return true;
}

bool ProjectSession::savePackAs(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status)
{
    if (kind == modeKind() || kind == DocumentKind::project)
        return saveAs(path, status);
    if (refuseWhenBusy(status))
        return false;
    // A pack written from the project is a copy taken away: the project stays the open document,
    // with its own path and flags.
    const DocumentPaths before(store_);
    bool written = writeDocument(path, kind, status);
    before.restore(store_);
    return written;
}

DocumentKind ProjectSession::modeKind() const
{
    return mode_ == EditorMode::project          ? DocumentKind::project
           : mode_ == EditorMode::headDefinition ? DocumentKind::headDefinition
                                                 : DocumentKind::headAnimation;
}

bool ProjectSession::writeDocument(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status)
{
    const DocumentPaths before(store_);
    std::optional<HeadModelLock> guard;
    if (model_)
        guard.emplace(*model_);
    std::optional<ScopedTempFile> mesh;
    if (kind != DocumentKind::headAnimation) {
        if (model_) {
            std::string meshPath;
            if (!model_->isInSync(kNeutralSet))
                model_->saveToSet(kNeutralSet);
            mesh.emplace("hm");
            if (mesh->valid() && writeMeshRecord(mesh->path(), *model_, false) == 1)
                meshPath = mesh->path().string();
            store_.setAsset(meshPath, AssetKind::headMesh, false);
        }
        if (!teethTop_.empty())
            store_.setAsset(teethTop_, AssetKind::teethTop, false);
        if (!teethBottom_.empty())
            store_.setAsset(teethBottom_, AssetKind::teethBottom, false);
    }
    TimelineSaveFiles itemFiles;
    CoreStatus inner;
    bool written = true;
    if (kind != DocumentKind::headDefinition && !itemFiles.stage(store_, timeline_)) {
        inner.setFileError(CoreStatus::FileError::cannotCreate, path.string());
        written = false;
    }
    if (written) {
        written = kind == DocumentKind::project ? saveProject(store_, path, inner)
                                                : writePack(store_, path, kind, inner);
    }
    if (!written) {
        // The writers replace the target only once it is whole, so the previous file is as it was, and
        // everything the refresh took from the live head and timeline is still there for the next
        // save. Reading the previous file back would throw away what was changed since.
        before.restore(store_);
        status.setMessage(kMsgSaveFailed, {}, path.string());
        status.detail = inner.fileError != CoreStatus::FileError::none
                            ? fileErrorText(inner.fileError, inner.path)
                            : std::string();
        return false;
    }
    if (kind == DocumentKind::project)
        store_.setProjectPath(path.string());
    return true;
}

bool ProjectSession::saveStream(const std::filesystem::path& path, SpeechFrameCoder& coder,
                                CoreStatus& status, const ProgressCallback& progress)
{
    if (refuseWhenBusy(status))
        return false;
    CoreStatus inner;
    // Without a live head the stream carries the document's own mesh, or fails at it.
    std::unique_ptr<CHeadModel> documentHead = model_ ? nullptr : headModelOf(store_);
    const StreamInputs inputs = streamInputsOf(store_, timeline_, model_ ? model_.get() : documentHead.get());
    if (timeline_.sampleCount() <= 0 || !writeStreamFile(path, inputs, coder, progress, inner)) {
        status.setMessage(kMsgDamaged, {}, path.string());
        status.detail = inner.fileError != CoreStatus::FileError::none
                            ? fileErrorText(inner.fileError, inner.path)
                            : std::string();
        return false;
    }
    return true;
}
