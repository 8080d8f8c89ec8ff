#pragma once

#include "documents/ByteSource.h"
#include "documents/ChunkedContainer.h"
#include "documents/DocumentStatus.h"
#include "documents/ProjectStore.h"

#include <filesystem>
#include <string>
#include <vector>

// Head definition and head animation packs, read into and written from the ProjectStore.

// Writes the pack of `kind` (head definition or head animation) to `path` and makes `path` the
// store's pack path of that kind. The file is written beside the target under a temporary name and
// moved over it only when the whole write succeeded, so a failed write leaves the old file intact.
bool writePack(ProjectStore& store, const std::filesystem::path& path, DocumentKind kind,
               DocumentStatus& status);

// Writes the pack body (signature to last chunk) into an open sink, as part of a larger file.
bool writePackTo(FileSink& out, ProjectStore& store, DocumentKind kind, std::vector<uint8_t>& buffer,
                 DocumentStatus& status);

// Replaces the store's assets of `kind` with the pack's. After a failure the store holds what was
// read before it.
bool readPack(ProjectStore& store, const std::filesystem::path& path, DocumentKind kind,
              DocumentStatus& status);
bool readPack(ProjectStore& store, ByteSource& in, const std::string& path, DocumentKind kind,
              DocumentStatus& status);

// Writes a whole file through `writeBody` into a temporary file beside `target`, then renames it over
// the target; on any failure the temporary file is removed and the target is untouched.
template <typename WriteBody>
bool writeFileSafely(const std::filesystem::path& target, DocumentStatus& status, WriteBody writeBody);
bool replaceFile(const std::filesystem::path& written, const std::filesystem::path& target,
                 DocumentStatus& status);
std::filesystem::path createSiblingTempFile(const std::filesystem::path& target);

template <typename WriteBody>
bool writeFileSafely(const std::filesystem::path& target, DocumentStatus& status, WriteBody writeBody)
{
    std::filesystem::path temporary = createSiblingTempFile(target);
    if (temporary.empty()) {
        status.setFileError(DocumentStatus::FileError::cannotCreate, target.string());
        return false;
    }
    FileSink out;
    bool written = out.create(temporary) && writeBody(out);
    bool closed = out.close();
    if (written && !closed)
        status.setFileError(DocumentStatus::FileError::writeFailed, target.string());
    if (!written || !closed) {
        std::error_code error;
        std::filesystem::remove(temporary, error);
        if (!status.failed())
            status.setFileError(DocumentStatus::FileError::writeFailed, target.string());
        return false;
    }
    return replaceFile(temporary, target, status);
}
