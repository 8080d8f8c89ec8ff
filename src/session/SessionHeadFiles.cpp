// A head definition assembled from plain files, for packs built outside the editor.
#include "session/ProjectSession.h"

#include "Common/TempFile.h"
#include "documents/ByteSource.h"
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"

#include <algorithm>
#include <system_error>

namespace {

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// A mesh record starts with two binary counts; a generic head text file with a label word.
bool looksLikeText(const std::filesystem::path& path)
{
    FileByteSource in;
    uint8_t start[4] = {};
    return in.open(path) && in.readExactly(start, sizeof start) &&
           std::all_of(std::begin(start), std::end(start), [](uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

// The text head written as a mesh record into a temporary file; an empty path when it cannot be.
std::filesystem::path meshRecordOfTextHead(const std::filesystem::path& head, CoreStatus& status)
{
    std::unique_ptr<CHeadModel> model = readTextHeadFile(head.string());
    if (!model) {
        status.setFileError(CoreStatus::FileError::readFailed, head.string());
        status.detail = "not a head file that can be read";
        return {};
    }
    ScopedTempFile record("hm");
    if (!record.valid() || !writeMeshRecord(record.path(), *model, false)) {
        status.setFileError(CoreStatus::FileError::cannotCreate, record.path().string());
        return {};
    }
    return record.release();
}

} // namespace

bool ProjectSession::useHeadDefinitionFiles(const HeadDefinitionFiles& files, CoreStatus& status)
{
    if (refuseWhenBusy(status))
        return false;
    const std::pair<const std::optional<std::filesystem::path>*, AssetKind> pictures[] = {
        {&files.face, AssetKind::faceTexture},
        {&files.mask, AssetKind::mask},
        {&files.teethTop, AssetKind::teethTop},
        {&files.teethBottom, AssetKind::teethBottom}};
    for (const auto& [path, kind] : pictures)
        if (*path && !isFile(**path)) {
            status.setFileError(CoreStatus::FileError::notFound, (*path)->string());
            return false;
        }
    if (!isFile(files.mesh)) {
        status.setFileError(CoreStatus::FileError::notFound, files.mesh.string());
        return false;
    }
    const bool converted = looksLikeText(files.mesh);
    const std::filesystem::path mesh = converted ? meshRecordOfTextHead(files.mesh, status) : files.mesh;
    // A converted record is the store's to delete; a record the user named stays theirs.
    if (mesh.empty())
        return false;
    if (!store_.setAsset(mesh.string(), AssetKind::headMesh, converted)) {
        status.setFileError(CoreStatus::FileError::readFailed, files.mesh.string());
        return false;
    }
    for (const auto& [path, kind] : pictures)
        if (*path && !store_.setAsset((*path)->string(), kind, false)) {
            status.setFileError(CoreStatus::FileError::readFailed, (*path)->string());
            return false;
        }
    setModified(true);
    return true;
}
