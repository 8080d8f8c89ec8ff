#pragma once

#include "documents/ByteSource.h"
#include "documents/DocumentProperties.h"
#include "documents/DocumentStatus.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The building blocks shared by every document file: signature, version word, property records,
// tagged chunks (mostly whole files copied in), name chunks and project sections.

enum class DocumentKind { project, headDefinition, headAnimation };

constexpr uint16_t kDocumentVersion = 9;
constexpr size_t kCopyBlockSize = 65536;
constexpr uint32_t kSectionEnd = 0xFFF0;
constexpr uint32_t kSectionProperties = 0x20;
constexpr uint32_t kSectionHeadDefinition = 0x10;
constexpr uint32_t kSectionHeadAnimation = 0x11;
constexpr size_t kNameFieldSize = 256;

// A chunk tag as the 32-bit value its four characters make when read little-endian.
constexpr uint32_t makeTag(const char (&text)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}
// The tag's four characters, non-printing ones as '?'.
std::string tagText(uint32_t tag);

namespace tags {
constexpr uint32_t MESH = makeTag("MESH"), FTXJ = makeTag("FTXJ"), MSKJ = makeTag("MSKJ");
constexpr uint32_t TTTJ = makeTag("TTTJ"), BTTJ = makeTag("BTTJ"), BGRJ = makeTag("BGRJ");
constexpr uint32_t BGDN = makeTag("BGDN"), SPCW = makeTag("SPCW"), VISM = makeTag("VISM");
constexpr uint32_t EXPR = makeTag("EXPR"), MOTN = makeTag("MOTN"), ACTN = makeTag("ACTN");
constexpr uint32_t ADID = makeTag("ADID"), ADDN = makeTag("ADDN"), ADWA = makeTag("ADWA");
constexpr uint32_t BGID = makeTag("BGID"), MARK = makeTag("MARK"), SCPT = makeTag("SCPT");
constexpr uint32_t SHDR = makeTag("SHDR"), SPCG = makeTag("SPCG"), SEND = makeTag("SEND");
} // namespace tags

// The temporary-file prefix of an extracted chunk payload ("" for tags that carry no file).
const char* extractPrefix(uint32_t tag);

// Signature text of a kind and the size of its block (the text and its NUL).
const char* signatureText(DocumentKind kind);
size_t signatureSize(DocumentKind kind);

enum class SignatureResult { ok, wrongSignature, versionTooNew };
bool writeSignature(FileSink& out, DocumentKind kind);
SignatureResult readSignature(ByteSource& in, DocumentKind kind, uint16_t& version);
// True when the source starts with the signature block of `kind`; the position is restored to 0.
bool startsWithSignature(ByteSource& in, DocumentKind kind);
// Reads the signature and version and fills `status` with the message a refusal shows.
bool checkSignature(ByteSource& in, DocumentKind kind, const std::string& path, DocumentStatus& status);

// The in-memory blocks property records are read into and written from.
struct PropertyBlocks {
    ProjectProperties* project = nullptr;
    HeadDefinitionProperties* headDefinition = nullptr;
    HeadAnimationProperties* headAnimation = nullptr;
};

struct PropertyRecordInfo {
    uint32_t id = 0;
    uint64_t offset = 0; // of the id
    uint32_t length = 0;
};

// Size of a known property id's block, 0 for an unknown id.
size_t propertyBlockSize(uint32_t id);
bool writePropertyChain(FileSink& out, DocumentKind kind, const PropertyBlocks& blocks);
// Reads records until the last id of a chain or an unknown id (left unread for the chunk reader).
// A record longer than its block fills the block and skips the rest. `seen` lists what was read.
bool readPropertyRecords(ByteSource& in, const PropertyBlocks& blocks,
                         std::vector<PropertyRecordInfo>* seen = nullptr);

// Copies `length` bytes from `in` to `out` in blocks of at most kCopyBlockSize; false on a short read.
bool copyBlocks(ByteSource& in, uint64_t length, FileSink& out, std::vector<uint8_t>& buffer);
// Writes tag, size and the whole content of an open file (rewound first, left open).
bool copyFileIntoChunk(FileSink& out, uint32_t tag, std::FILE* source, std::vector<uint8_t>& buffer);
// Same for a file opened for the copy and closed again; a missing file fails with a file error.
bool copyFileIntoChunk(FileSink& out, uint32_t tag, const std::filesystem::path& source,
                       std::vector<uint8_t>& buffer, DocumentStatus& status);
// Copies a payload of `length` bytes out to a new temporary file; returns its path, or an empty path
// (and no file left behind) when the temporary file cannot be made or the payload runs past the end.
std::filesystem::path copyChunkOut(ByteSource& in, const std::string& prefix, uint64_t length,
                                   std::vector<uint8_t>& buffer, DocumentStatus& status);

bool writeNameChunk(FileSink& out, uint32_t tag, const std::string& name);
// Reads a name payload of `length` bytes: at most 255 characters are kept, the rest is skipped.
bool readNameChunk(ByteSource& in, uint32_t length, std::string& name);
