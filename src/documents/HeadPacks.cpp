#include "documents/HeadPacks.h"

#include "Common/TempFile.h"

#include <system_error>
#include <vector>

namespace {

void removeQuietly(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::remove(path, error);
}

struct SlotTag {
    uint32_t tag;
    AssetKind kind;
};

const SlotTag kHeadDefinitionChunks[] = {{tags::MESH, AssetKind::headMesh},
                                         {tags::FTXJ, AssetKind::faceTexture},
                                         {tags::MSKJ, AssetKind::mask},
                                         {tags::TTTJ, AssetKind::teethTop},
                                         {tags::BTTJ, AssetKind::teethBottom}};
const SlotTag kItemChunks[] = {{tags::VISM, AssetKind::visemes},
                               {tags::EXPR, AssetKind::expressions},
                               {tags::MOTN, AssetKind::headTurns},
                               {tags::ACTN, AssetKind::events}};

// Copies the file of one slot or list entry into a chunk: an owned file through its open handle, a
// user file opened for the copy; nothing for an empty path.
bool writeAssetChunk(FileSink& out, uint32_t tag, const std::string& path, std::FILE* handle,
                     std::vector<uint8_t>& buffer, DocumentStatus& status)
{
    if (handle)
        return copyFileIntoChunk(out, tag, handle, buffer);
    if (path.empty())
        return true;
    return copyFileIntoChunk(out, tag, std::filesystem::path(path), buffer, status);
}

bool writeSlotChunk(FileSink& out, ProjectStore& store, const SlotTag& entry, std::vector<uint8_t>& buffer,
                    DocumentStatus& status)
{
    return writeAssetChunk(out, entry.tag, store.assetPath(entry.kind), store.assetHandle(entry.kind), buffer,
                           status);
}

// The owned voice is held without a handle; it is opened just for the copy, and a voice that has
// vanished meanwhile is dropped from the store instead of failing the pack.
bool writeSpeechChunk(FileSink& out, ProjectStore& store, std::vector<uint8_t>& buffer,
                      DocumentStatus& status)
{
    std::string path = store.assetPath(AssetKind::speech);
    if (path.empty())
        return true;
    if (!store.isOwned(AssetKind::speech))
        return copyFileIntoChunk(out, tags::SPCW, std::filesystem::path(path), buffer, status);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        store.releaseSlot(AssetKind::speech);
        return true;
    }
    bool copied = copyFileIntoChunk(out, tags::SPCW, file, buffer);
    std::fclose(file);
    return copied;
}

bool writeHeadDefinitionChunks(FileSink& out, ProjectStore& store, std::vector<uint8_t>& buffer,
                               DocumentStatus& status)
{
    for (const SlotTag& entry : kHeadDefinitionChunks)
        if (!writeSlotChunk(out, store, entry, buffer, status))
            return false;
    return true;
}

bool writeListChunks(FileSink& out, const AssetList& list, uint32_t nameTag, uint32_t fileTag,
                     std::vector<uint8_t>& buffer, DocumentStatus& status)
{
    for (int i = 0; i < list.count(); ++i) {
        if (!writeNameChunk(out, nameTag, list.name(i)) ||
            !writeAssetChunk(out, fileTag, list.path(i), list.handle(i), buffer, status))
            return false;
    }
    return true;
}

bool writeHeadAnimationChunks(FileSink& out, ProjectStore& store, std::vector<uint8_t>& buffer,
                              DocumentStatus& status)
{
    if (!writeSpeechChunk(out, store, buffer, status))
        return false;
    for (const SlotTag& entry : kItemChunks)
        if (!writeSlotChunk(out, store, entry, buffer, status))
            return false;
    return writeListChunks(out, store.backgrounds(), tags::BGDN, tags::BGRJ, buffer, status) &&
           writeSlotChunk(out, store, {tags::ADID, AssetKind::sounds}, buffer, status) &&
           writeListChunks(out, store.soundClips(), tags::ADDN, tags::ADWA, buffer, status);
}

class PackReader {
public:
    PackReader(ProjectStore& store, ByteSource& in, const std::string& path, DocumentKind kind,
               DocumentStatus& status)
        : store_(store), in_(in), path_(path), kind_(kind), status_(status)
    {
    }

    bool read()
    {
        if (kind_ == DocumentKind::headDefinition)
            store_.releaseHeadDefinitionAssets();
        else
            store_.releaseHeadAnimationAssets();
        if (!checkSignature(in_, kind_, path_, status_) || !readPropertyRecords(in_, store_.propertyBlocks()))
            return false;
        while (true) {
            uint8_t tagBytes[4];
            size_t got = in_.read(tagBytes, sizeof tagBytes);
            if (got == 0)
                break;
            uint32_t length = 0;
            if (got < sizeof tagBytes || !in_.readU32(length))
                return fileError(DocumentStatus::FileError::endOfFile);
            if (!readChunk(loadU32(tagBytes), length))
                return false;
        }
        store_.setPackPath(kind_, path_);
        return true;
    }

private:
    bool fileError(DocumentStatus::FileError error)
    {
        status_.setFileError(error, path_);
        return false;
    }

    bool refuse()
    {
        status_.setMessage(kMsgPackRefused, {}, path_);
        return false;
    }

    std::filesystem::path extract(uint32_t tag, uint32_t length)
    {
        std::filesystem::path extracted = copyChunkOut(in_, extractPrefix(tag), length, buffer_, status_);
        if (extracted.empty() && status_.path.empty())
            status_.path = path_;
        return extracted;
    }

    bool extractToSlot(uint32_t tag, uint32_t length, AssetKind kind)
    {
        std::filesystem::path extracted = extract(tag, length);
        if (extracted.empty())
            return false;
        if (!store_.setAsset(extracted.string(), kind, true))
            removeQuietly(extracted);
        return true;
    }

    // A full list drops the entry (and its extracted file) and the read goes on.
    bool extractToList(uint32_t tag, uint32_t length, AssetList& list)
    {
        std::filesystem::path extracted = extract(tag, length);
        if (extracted.empty())
            return false;
        if (!list.add(extracted.string(), "", true))
            removeQuietly(extracted);
        return true;
    }

    bool readName(uint32_t length, AssetList& list, int& counter)
    {
        std::string name;
        if (!readNameChunk(in_, length, name))
            return fileError(DocumentStatus::FileError::endOfFile);
        if (counter < AssetList::kCapacity)
            list.setName(counter, name);
        ++counter;
        return true;
    }

    bool readChunk(uint32_t tag, uint32_t length)
    {
        if (tag == tags::BGDN)
            return readName(length, store_.backgrounds(), backgroundNames_);
        if (tag == tags::BGRJ)
            return extractToList(tag, length, store_.backgrounds());
        return kind_ == DocumentKind::headDefinition ? readHeadDefinitionChunk(tag, length)
                                                     : readHeadAnimationChunk(tag, length);
    }

    bool readHeadDefinitionChunk(uint32_t tag, uint32_t length)
    {
        for (const SlotTag& entry : kHeadDefinitionChunks)
            if (entry.tag == tag)
                return extractToSlot(tag, length, entry.kind);
        return refuse();
    }

    bool readHeadAnimationChunk(uint32_t tag, uint32_t length)
    {
        if (tag == tags::SPCW)
            return extractToSlot(tag, length, AssetKind::speech);
        if (tag == tags::ADID)
            return extractToSlot(tag, length, AssetKind::sounds);
        for (const SlotTag& entry : kItemChunks)
            if (entry.tag == tag)
                return extractToSlot(tag, length, entry.kind);
        if (tag == tags::ADDN)
            return readName(length, store_.soundClips(), soundNames_);
        if (tag == tags::ADWA)
            return extractToList(tag, length, store_.soundClips());
        if (tag == tags::BGID || tag == tags::MARK || tag == tags::SCPT)
            return in_.skip(length) || fileError(DocumentStatus::FileError::endOfFile);
        return refuse();
    }

    ProjectStore& store_;
    ByteSource& in_;
    std::string path_;
    DocumentKind kind_;
    DocumentStatus& status_;
    std::vector<uint8_t> buffer_;
    int backgroundNames_ = 0;
    int soundNames_ = 0;
};

} // namespace

bool writePack(ProjectStore& store, const std::filesystem::path& path, DocumentKind kind,
               DocumentStatus& status)
{
    if (kind == DocumentKind::project)
        return false;
    store.setPackPath(kind, path.string());
    std::vector<uint8_t> buffer(kCopyBlockSize);
    return writeFileSafely(path, status,
                           [&](FileSink& out) { return writePackTo(out, store, kind, buffer, status); });
}

bool writePackTo(FileSink& out, ProjectStore& store, DocumentKind kind, std::vector<uint8_t>& buffer,
                 DocumentStatus& status)
{
    if (kind == DocumentKind::project || !writeSignature(out, kind) ||
        !writePropertyChain(out, kind, store.propertyBlocks()))
        return false;
    return kind == DocumentKind::headDefinition ? writeHeadDefinitionChunks(out, store, buffer, status)
                                                : writeHeadAnimationChunks(out, store, buffer, status);
}

bool readPack(ProjectStore& store, ByteSource& in, const std::string& path, DocumentKind kind,
              DocumentStatus& status)
{
    if (kind == DocumentKind::project)
        return false;
    return PackReader(store, in, path, kind, status).read();
}

bool readPack(ProjectStore& store, const std::filesystem::path& path, DocumentKind kind,
              DocumentStatus& status)
{
    FileByteSource in;
    if (!in.open(path)) {
        if (kind == DocumentKind::headDefinition)
            store.releaseHeadDefinitionAssets();
        else if (kind == DocumentKind::headAnimation)
            store.releaseHeadAnimationAssets();
        status.setFileError(DocumentStatus::FileError::notFound, path.string());
        return false;
    }
    return readPack(store, in, path.string(), kind, status);
}
