#pragma once

#include "Common/AtomicFile.h"
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

// Writes a whole file through `writeBody` into a sink on a staging file beside `target`, which replaces
// the target only when complete; on any failure the target is untouched and `status` says why.
template <typename WriteBody>
bool writeFileSafely(const std::filesystem::path& target, DocumentStatus& status, WriteBody writeBody)
{
    bool staged = false;
    bool written = false;
    const bool replaced = writeFileAtomically(target, [&](const std::filesystem::path& staging) {
        staged = true;
        FileSink out;
        written = out.create(staging) && writeBody(out);
        const bool closed = out.close();
        written = written && closed;
        return written;
    });
    if (!replaced)
        status.setFileError(!staged || written ? DocumentStatus::FileError::cannotCreate
                                               : DocumentStatus::FileError::writeFailed,
                            target.string());
    return replaced;
}
