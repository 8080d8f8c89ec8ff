#include "documents/ChunkedContainer.h"

#include "Common/TempFile.h"

#include <algorithm>
#include <cstring>

namespace {

struct PropertyDefinition {
    uint32_t id;
    uint32_t size;
    DocumentKind chain;
    bool lastOfChain;
};

const PropertyDefinition kProperties[] = {
    {0x00000000, 512, DocumentKind::project, false},
    {0x00000001, 548, DocumentKind::project, true},
    {0x00010000, 512, DocumentKind::headDefinition, false},
    {0x00010001, 4, DocumentKind::headDefinition, false},
    {0x00010010, 548, DocumentKind::headDefinition, true},
    {0x00100000, 256, DocumentKind::headAnimation, false},
    {0x00100001, 28, DocumentKind::headAnimation, false},
    {0x00100010, 548, DocumentKind::headAnimation, true},
};

const PropertyDefinition* findProperty(uint32_t id)
{
    for (const PropertyDefinition& definition : kProperties)
        if (definition.id == id)
            return &definition;
    return nullptr;
}

// The block of a property id inside the document's property structs, or null when the caller did
// not supply that struct (its records are then read past).
uint8_t* propertyBlock(uint32_t id, const PropertyBlocks& blocks)
{
    auto bytes = [](auto* block) { return reinterpret_cast<uint8_t*>(block); };
    switch (id) {
    case 0x00000000:
        return blocks.project ? bytes(&blocks.project->packNames) : nullptr;
    case 0x00000001:
        return blocks.project ? bytes(&blocks.project->summary) : nullptr;
    case 0x00010000:
        return blocks.headDefinition ? bytes(&blocks.headDefinition->pictureNames) : nullptr;
    case 0x00010001:
        return blocks.headDefinition ? bytes(&blocks.headDefinition->editPanelValue) : nullptr;
    case 0x00010010:
        return blocks.headDefinition ? bytes(&blocks.headDefinition->summary) : nullptr;
    case 0x00100000:
        return blocks.headAnimation ? bytes(&blocks.headAnimation->voiceName) : nullptr;
    case 0x00100001:
        return blocks.headAnimation ? bytes(&blocks.headAnimation->contentFlags) : nullptr;
    case 0x00100010:
        return blocks.headAnimation ? bytes(&blocks.headAnimation->summary) : nullptr;
    }
    return nullptr;
}

struct PrefixEntry {
    uint32_t tag;
    const char* prefix;
};

const PrefixEntry kPrefixes[] = {
    {tags::MESH, "~hm"}, {tags::FTXJ, "~ft"}, {tags::MSKJ, "~fm"}, {tags::TTTJ, "~tt"}, {tags::BTTJ, "~bt"},
    {tags::BGRJ, "~bg"}, {tags::SPCW, "~wv"}, {tags::VISM, "~vs"}, {tags::EXPR, "~ex"}, {tags::MOTN, "~mt"},
    {tags::ACTN, "~ac"}, {tags::ADID, "~ai"}, {tags::ADWA, "~au"},
};

} // namespace

std::string tagText(uint32_t tag)
{
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        char c = static_cast<char>((tag >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

const char* extractPrefix(uint32_t tag)
{
    for (const PrefixEntry& entry : kPrefixes)
        if (entry.tag == tag)
            return entry.prefix;
    return "";
}

const char* signatureText(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::project:
        return "Quillmere Chattermask Project File";
    case DocumentKind::headDefinition:
        return "Quillmere Chattermask Head Definition Pack";
    case DocumentKind::headAnimation:
        return "Quillmere Chattermask Head Animation Pack";
    }
    return "";
}

size_t signatureSize(DocumentKind kind)
{
    return std::strlen(signatureText(kind)) + 1;
}

bool writeSignature(FileSink& out, DocumentKind kind)
{
    return out.write(signatureText(kind), signatureSize(kind)) && out.writeU16(kDocumentVersion);
}

SignatureResult readSignature(ByteSource& in, DocumentKind kind, uint16_t& version)
{
    std::vector<char> block(signatureSize(kind));
    if (!in.readExactly(block.data(), block.size()) ||
        std::memcmp(block.data(), signatureText(kind), block.size()) != 0)
        return SignatureResult::wrongSignature;
    if (!in.readU16(version))
        return SignatureResult::wrongSignature;
    return version > kDocumentVersion ? SignatureResult::versionTooNew : SignatureResult::ok;
}

bool startsWithSignature(ByteSource& in, DocumentKind kind)
{
    std::vector<char> block(signatureSize(kind));
    bool matches = in.seek(0) && in.readExactly(block.data(), block.size()) &&
                   std::memcmp(block.data(), signatureText(kind), block.size()) == 0;
    in.seek(0);
    return matches;
}

bool checkSignature(ByteSource& in, DocumentKind kind, const std::string& path, DocumentStatus& status)
{
    uint16_t version = 0;
    switch (readSignature(in, kind, version)) {
    case SignatureResult::ok:
        return true;
    case SignatureResult::wrongSignature:
        status.setMessage(kind == DocumentKind::project ? kMsgBadProjectSignature : kMsgBadPackSignature, {path}, path);
        return false;
    case SignatureResult::versionTooNew:
        status.setMessage(kMsgVersionTooNew, {static_cast<long long>(version), static_cast<long long>(kDocumentVersion)}, path);
        return false;
    }
    return false;
}

size_t propertyBlockSize(uint32_t id)
{
    const PropertyDefinition* definition = findProperty(id);
    return definition ? definition->size : 0;
}

bool writePropertyChain(FileSink& out, DocumentKind kind, const PropertyBlocks& blocks)
{
    for (const PropertyDefinition& definition : kProperties) {
        if (definition.chain != kind)
            continue;
        const uint8_t* block = propertyBlock(definition.id, blocks);
        std::vector<uint8_t> zeros;
        if (!block) {
            zeros.assign(definition.size, 0);
            block = zeros.data();
        }
        if (!out.writeU32(definition.id) || !out.writeU32(definition.size) ||
            !out.write(block, definition.size))
            return false;
    }
    return true;
}

bool readPropertyRecords(ByteSource& in, const PropertyBlocks& blocks, std::vector<PropertyRecordInfo>* seen)
{
    for (;;) {
        uint64_t start = in.position();
        uint32_t id = 0;
        uint32_t length = 0;
        if (!in.readU32(id) || !in.readU32(length))
            return false;
        const PropertyDefinition* definition = findProperty(id);
        if (!definition)
            return in.seek(start); // the chunks begin here
        if (length > in.remaining())
            return false;
        uint32_t kept = std::min(length, definition->size);
        uint8_t* block = propertyBlock(id, blocks);
        std::vector<uint8_t> scratch;
        if (!block) {
            scratch.resize(definition->size);
            block = scratch.data();
        }
        if (!in.readExactly(block, kept) || !in.skip(length - kept))
            return false;
        if (seen)
            seen->push_back({id, start, length});
        if (definition->lastOfChain)
            return true;
    }
}

bool copyBlocks(ByteSource& in, uint64_t length, FileSink& out, std::vector<uint8_t>& buffer)
{
    if (buffer.size() < kCopyBlockSize)
        buffer.resize(kCopyBlockSize);
    while (length > 0) {
        size_t piece = static_cast<size_t>(std::min<uint64_t>(length, kCopyBlockSize));
        if (!in.readExactly(buffer.data(), piece) || !out.write(buffer.data(), piece))
            return false;
        length -= piece;
    }
    return true;
}

bool copyFileIntoChunk(FileSink& out, uint32_t tag, std::FILE* source, std::vector<uint8_t>& buffer)
{
    if (!source)
        return false;
    FileByteSource in(source);
    uint64_t size = in.size();
    if (size > 0xFFFFFFFFu)
        return false; // the length field cannot describe it; better refuse than write a broken chunk
    bool copied =
        out.writeU32(tag) && out.writeU32(static_cast<uint32_t>(size)) && copyBlocks(in, size, out, buffer);
    std::fseek(source, 0, SEEK_SET);
    return copied;
}

bool copyFileIntoChunk(FileSink& out, uint32_t tag, const std::filesystem::path& source,
                       std::vector<uint8_t>& buffer, DocumentStatus& status)
{
    std::FILE* file = std::fopen(source.c_str(), "rb");
    if (!file) {
        status.setFileError(DocumentStatus::FileError::notFound, source.string());
        return false;
    }
    bool copied = copyFileIntoChunk(out, tag, file, buffer);
    std::fclose(file);
    if (!copied)
        status.setFileError(DocumentStatus::FileError::writeFailed, source.string());
    return copied;
}

std::filesystem::path copyChunkOut(ByteSource& in, const std::string& prefix, uint64_t length,
                                   std::vector<uint8_t>& buffer, DocumentStatus& status)
{
    if (length > in.remaining()) {
        status.setFileError(DocumentStatus::FileError::endOfFile, "");
        return {};
    }
    ScopedTempFile extracted(prefix);
    if (!extracted.valid()) {
        status.setMessage(kMsgPackRefused);
        return {};
    }
    FileSink out;
    bool copied = out.create(extracted.path()) && copyBlocks(in, length, out, buffer);
    if (!out.close() || !copied) {
        status.setFileError(DocumentStatus::FileError::writeFailed, extracted.path().string());
        return {};
    }
    return extracted.release();
}

bool writeNameChunk(FileSink& out, uint32_t tag, const std::string& name)
{
    std::string kept = name.substr(0, std::min(name.find('\0'), kNameFieldSize - 1));
    return out.writeU32(tag) && out.writeU32(static_cast<uint32_t>(kept.size() + 1)) &&
           out.write(kept.c_str(), kept.size() + 1);
}

bool readNameChunk(ByteSource& in, uint32_t length, std::string& name)
{
    if (length > in.remaining())
        return false;
    char field[kNameFieldSize] = {};
    uint32_t kept = std::min<uint32_t>(length, kNameFieldSize - 1);
    if (!in.readExactly(field, kept) || !in.skip(length - kept))
        return false;
    name = fieldText(field);
    return true;
}
