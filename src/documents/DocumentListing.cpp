#include "documents/DocumentListing.h"

#include "documents/ChunkedContainer.h"

#include <cstring>

namespace {

constexpr int kMaxNesting = 2;

bool detectKind(ByteSource& in, DocumentListing& listing, DocumentKind& kind)
{
    const std::pair<DocumentKind, const char*> kinds[] = {{DocumentKind::project, "project"},
                                                          {DocumentKind::headDefinition, "head_definition"},
                                                          {DocumentKind::headAnimation, "head_animation"}};
    for (const auto& [candidate, name] : kinds) {
        if (startsWithSignature(in, candidate)) {
            kind = candidate;
            listing.kind = name;
            return true;
        }
    }
    return false;
}

bool isNameTag(uint32_t tag)
{
    return tag == tags::BGDN || tag == tags::ADDN;
}

// Walks tag, length, payload to the end of the source (or "SEND"); stops early at a length that
// runs past the end.
// In a stream the inline item chunks count only their records, not the count and version before them.
bool isInlineItemTag(uint32_t tag)
{
    return tag == tags::VISM || tag == tags::EXPR || tag == tags::MOTN;
}

void listChunks(ByteSource& in, DocumentListing& listing, bool stream)
{
    while (in.remaining() > 0) {
        DocumentListing::Chunk chunk;
        chunk.offset = in.position();
        if (!in.readU32(chunk.tag) || !in.readU32(chunk.length)) {
            listing.complete = false;
            return;
        }
        chunk.payloadBytes = chunk.length + ((stream && isInlineItemTag(chunk.tag)) ? 8u : 0u);
        if (chunk.payloadBytes > in.remaining()) {
            listing.complete = false;
            return;
        }
        if (isNameTag(chunk.tag))
            readNameChunk(in, chunk.length, chunk.name);
        else
            in.skip(chunk.payloadBytes);
        listing.chunks.push_back(chunk);
        if (chunk.tag == tags::SEND)
            return;
    }
}

void listRecords(ByteSource& in, DocumentListing& listing)
{
    std::vector<PropertyRecordInfo> seen;
    if (!readPropertyRecords(in, PropertyBlocks{}, &seen))
        listing.complete = false;
    for (const PropertyRecordInfo& record : seen)
        listing.properties.push_back({record.id, record.offset, record.length});
}

bool listLevel(ByteSource& in, const std::string& path, DocumentListing& listing, DocumentStatus& status,
               int depth);

void listSections(ByteSource& in, const std::string& path, DocumentListing& listing, int depth)
{
    while (true) {
        DocumentListing::Section section;
        section.offset = in.position();
        if (!in.readU32(section.id)) {
            listing.complete = false; // no end marker
            return;
        }
        if (section.id == kSectionEnd)
            return;
        if (!in.readU32(section.length) || section.length > in.remaining()) {
            listing.complete = false;
            return;
        }
        uint64_t payloadStart = in.position();
        WindowByteSource payload(in, payloadStart, section.length);
        auto content = std::make_unique<DocumentListing>();
        DocumentStatus inner;
        if (depth < kMaxNesting && listLevel(payload, path, *content, inner, depth + 1))
            section.content = std::move(content);
        in.seek(payloadStart + section.length); // the nested listing moved the shared position
        listing.sections.push_back(std::move(section));
    }
}

bool listLevel(ByteSource& in, const std::string& path, DocumentListing& listing, DocumentStatus& status,
               int depth)
{
    DocumentKind kind = DocumentKind::project;
    if (detectKind(in, listing, kind)) {
        uint16_t version = 0;
        SignatureResult result = readSignature(in, kind, version);
        listing.version = version;
        if (result == SignatureResult::versionTooNew) {
            status.setMessage(kMsgVersionTooNew, {static_cast<long long>(version), static_cast<long long>(kDocumentVersion)}, path);
            return false;
        }
        if (result != SignatureResult::ok) {
            status.setMessage(kind == DocumentKind::project ? kMsgBadProjectSignature : kMsgBadPackSignature, {path}, path);
            return false;
        }
        if (kind == DocumentKind::project) {
            listSections(in, path, listing, depth);
            return true;
        }
        listRecords(in, listing);
        if (listing.complete)
            listChunks(in, listing, false);
        return true;
    }
    uint32_t first = 0;
    if (in.seek(0) && in.readU32(first) && first == tags::SHDR) {
        listing.kind = "stream";
        uint16_t streamVersion = 0;
        in.skip(4);
        if (in.readU16(streamVersion))
            listing.version = streamVersion;
        in.seek(0);
        listChunks(in, listing, true);
        return true;
    }
    in.seek(0);
    if (depth > 0 && in.size() > 0) {
        listing.kind = "properties"; // the project property file: records only
        listRecords(in, listing);
        return true;
    }
    status.setMessage(kMsgBadPackSignature, {path}, path);
    return false;
}

} // namespace

bool listDocument(ByteSource& in, const std::string& path, DocumentListing& listing, DocumentStatus& status)
{
    return listLevel(in, path, listing, status, 0);
}
