#include "documents/ProjectFile.h"

#include "documents/ChunkedContainer.h"
#include "documents/HeadPacks.h"

#include <functional>
#include <vector>

namespace {

// Writes one section whose length is known only afterwards: the id, a length patched once the payload
// is written, the payload. The packs go straight into the project instead of through files of their
// own, so every byte is copied once; the bytes are the same either way.
bool writeSection(FileSink& out, uint32_t id, const std::function<bool(FileSink&)>& writePayload)
{
    if (!out.writeU32(id))
        return false;
    uint64_t lengthAt = out.position();
    if (!out.writeU32(0) || !writePayload(out))
        return false;
    uint64_t length = out.position() - lengthAt - 4;
    return length <= 0xFFFFFFFFu && out.patchU32(lengthAt, static_cast<uint32_t>(length));
}

bool writeProjectBody(FileSink& out, ProjectStore& store, std::vector<uint8_t>& buffer,
                      DocumentStatus& status)
{
    return writeSignature(out, DocumentKind::project) &&
           writeSection(out, kSectionProperties,
                        [&](FileSink& sink) {
                            return writePropertyChain(sink, DocumentKind::project, store.propertyBlocks());
                        }) &&
           writeSection(out, kSectionHeadDefinition,
                        [&](FileSink& sink) {
                            return writePackTo(sink, store, DocumentKind::headDefinition, buffer, status);
                        }) &&
           writeSection(out, kSectionHeadAnimation,
                        [&](FileSink& sink) {
                            return writePackTo(sink, store, DocumentKind::headAnimation, buffer, status);
                        }) &&
           out.writeU32(kSectionEnd);
}

struct SectionPlace {
    bool present = false;
    uint64_t offset = 0;
    uint32_t length = 0;
};

class ProjectLoader {
public:
    ProjectLoader(ProjectStore& store, ByteSource& in, const std::string& path, unsigned mask,
                  DocumentStatus& status)
        : store_(store), in_(in), path_(path), mask_(mask), status_(status)
    {
    }

    bool load()
    {
        if (mask_ == kLoadAll)
            store_.reset();
        bool loaded =
            checkSignature(in_, DocumentKind::project, path_, status_) && findSections() && readParts();
        if (!loaded) {
            store_.reset();
            return false;
        }
        store_.setProjectPath(path_);
        return true;
    }

private:
    // Notes where each section lies; a repeated section replaces the earlier one.
    bool findSections()
    {
        while (true) {
            uint32_t id = 0;
            if (!in_.readU32(id))
                return false;
            if (id == kSectionEnd)
                return true;
            SectionPlace* place = sectionPlace(id);
            uint32_t length = 0;
            if (!place || !in_.readU32(length) || length > in_.remaining())
                return false;
            *place = SectionPlace{true, in_.position(), length};
            in_.skip(length);
        }
    }

    SectionPlace* sectionPlace(uint32_t id)
    {
        if (id == kSectionProperties)
            return &properties_;
        if (id == kSectionHeadDefinition)
            return &headDefinition_;
        if (id == kSectionHeadAnimation)
            return &headAnimation_;
        return nullptr;
    }

    bool readPackSection(const SectionPlace& place, DocumentKind kind)
    {
        WindowByteSource section(in_, place.offset, place.present ? place.length : 0);
        return readPack(store_, section, path_, kind, status_);
    }

    bool readParts()
    {
        if (mask_ & kLoadProjectProperties) {
            // An absent or empty property file is no failure.
            WindowByteSource section(in_, properties_.offset, properties_.present ? properties_.length : 0);
            PropertyBlocks blocks;
            blocks.project = &store_.projectProperties();
            readPropertyRecords(section, blocks);
        }
        if ((mask_ & kLoadHeadDefinition) && !readPackSection(headDefinition_, DocumentKind::headDefinition))
            return false;
        if ((mask_ & kLoadHeadAnimation) && !readPackSection(headAnimation_, DocumentKind::headAnimation))
            return false;
        return true;
    }

    ProjectStore& store_;
    ByteSource& in_;
    std::string path_;
    unsigned mask_;
    DocumentStatus& status_;
    SectionPlace properties_, headDefinition_, headAnimation_;
};

} // namespace

bool writeProjectPropertyFile(ProjectStore& store, const std::filesystem::path& path, DocumentStatus& status)
{
    FileSink out;
    bool written = out.create(path) && writePropertyChain(out, DocumentKind::project, store.propertyBlocks());
    if (!out.close() || !written) {
        status.setFileError(DocumentStatus::FileError::writeFailed, path.string());
        return false;
    }
    return true;
}

bool readProjectPropertyFile(ProjectStore& store, const std::filesystem::path& path)
{
    FileByteSource in;
    if (!in.open(path))
        return false;
    PropertyBlocks blocks;
    blocks.project = &store.projectProperties();
    return readPropertyRecords(in, blocks);
}

bool saveProject(ProjectStore& store, const std::filesystem::path& path, DocumentStatus& status)
{
    std::vector<uint8_t> buffer(kCopyBlockSize);
    bool saved = writeFileSafely(path, status,
                                 [&](FileSink& out) { return writeProjectBody(out, store, buffer, status); });
    if (saved)
        store.setProjectPath(path.string());
    return saved;
}

bool loadProject(ProjectStore& store, ByteSource& in, const std::string& path, unsigned mask,
                 DocumentStatus& status)
{
    return ProjectLoader(store, in, path, mask, status).load();
}

bool loadProject(ProjectStore& store, const std::filesystem::path& path, unsigned mask,
                 DocumentStatus& status)
{
    FileByteSource in;
    if (!in.open(path)) {
        store.reset();
        status.setFileError(DocumentStatus::FileError::notFound, path.string());
        return false;
    }
    return loadProject(store, in, path.string(), mask, status);
}
