#pragma once

#include "documents/ByteSource.h"
#include "documents/DocumentStatus.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What a document file holds and where, without extracting anything: the basis of listing and of
// extraction by the command-line tool. Offsets are byte offsets in the file (or embedded file) listed.
struct DocumentListing {
    struct Record {
        uint32_t id = 0;
        uint64_t offset = 0;
        uint32_t length = 0;
    };
    struct Chunk {
        uint32_t tag = 0;
        uint64_t offset = 0;       // of the tag
        uint32_t length = 0;       // the length field as stored
        uint64_t payloadBytes = 0; // what the payload occupies (inline stream items: length + 8)
        std::string name;          // for name chunks: the name they carry
    };
    struct Section {
        uint32_t id = 0;
        uint64_t offset = 0; // of the section id
        uint32_t length = 0;
        std::unique_ptr<DocumentListing> content;
    };

    std::string kind; // "project", "head_definition", "head_animation", "stream" or "properties"
    int version = -1; // -1 when the kind has none
    std::vector<Record> properties;
    std::vector<Chunk> chunks;
    std::vector<Section> sections;
    bool complete = true; // false when a length ran past the end and the listing stopped there
};

// Lists the document in `in` (whose first byte is offset 0). Fails, with the message a reader shows,
// when the kind is not recognised or its version is too new; `path` names the file in messages.
bool listDocument(ByteSource& in, const std::string& path, DocumentListing& listing, DocumentStatus& status);

// Payload offset of a chunk or section: 8 bytes after its tag or id.
inline uint64_t payloadOffset(uint64_t headerOffset)
{
    return headerOffset + 8;
}
