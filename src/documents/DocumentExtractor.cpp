#include "documents/DocumentExtractor.h"

#include "documents/ChunkedContainer.h"

#include <cstdio>
#include <set>

namespace {

constexpr size_t kMaxNamePart = 64;

const char* extensionFor(uint32_t tag)
{
    struct Entry {
        uint32_t tag;
        const char* extension;
    };
    static const Entry kExtensions[] = {{tags::MESH, ".mesh"}, {tags::FTXJ, ".jpg"}, {tags::MSKJ, ".jpg"},
                                        {tags::TTTJ, ".jpg"},  {tags::BTTJ, ".jpg"}, {tags::BGRJ, ".jpg"},
                                        {tags::SPCW, ".wav"},  {tags::ADWA, ".wav"}, {tags::VISM, ".vis"},
                                        {tags::EXPR, ".exp"},  {tags::MOTN, ".mot"}, {tags::ACTN, ".act"},
                                        {tags::ADID, ".aii"},  {tags::SPCG, ".spcg"}};
    for (const Entry& entry : kExtensions)
        if (entry.tag == tag)
            return entry.extension;
    return ".bin";
}

bool carriesNoFile(uint32_t tag)
{
    return tag == tags::BGDN || tag == tags::ADDN || tag == tags::SHDR || tag == tags::SEND;
}

class Extractor {
public:
    Extractor(ByteSource& in, std::vector<std::filesystem::path>& written, DocumentStatus& status)
        : in_(in), written_(written), status_(status)
    {
    }

    bool extract(const DocumentListing& listing, const std::filesystem::path& folder)
    {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error || !std::filesystem::is_directory(folder, error)) {
            status_.setFileError(DocumentStatus::FileError::cannotCreate, folder.string());
            return false;
        }
        return listing.sections.empty() ? extractChunks(listing, folder) : extractSections(listing, folder);
    }

private:
    bool extractSections(const DocumentListing& listing, const std::filesystem::path& folder)
    {
        for (const DocumentListing::Section& section : listing.sections) {
            std::string base = sectionBaseName(section.id);
            if (!writePayload(payloadOffset(section.offset), section.length, folder,
                              base + sectionExtension(section.id)))
                return false;
            if (section.content && !section.content->chunks.empty()) {
                WindowByteSource inner(in_, payloadOffset(section.offset), section.length);
                Extractor nested(inner, written_, status_);
                if (!nested.extract(*section.content, folder / base))
                    return false;
            }
        }
        return true;
    }

    static std::string sectionBaseName(uint32_t id)
    {
        if (id == kSectionHeadDefinition)
            return "head_definition";
        if (id == kSectionHeadAnimation)
            return "head_animation";
        return "project_properties";
    }

    static const char* sectionExtension(uint32_t id)
    {
        if (id == kSectionHeadDefinition)
            return ".hdp";
        if (id == kSectionHeadAnimation)
            return ".hap";
        return ".bin";
    }

    bool extractChunks(const DocumentListing& listing, const std::filesystem::path& folder)
    {
        int backgrounds = 0;
        int clips = 0;
        int blocks = 0;
        std::string pendingName;
        for (const DocumentListing::Chunk& chunk : listing.chunks) {
            if (chunk.tag == tags::BGDN || chunk.tag == tags::ADDN)
                pendingName = chunk.name;
            if (carriesNoFile(chunk.tag))
                continue;
            std::string name = tagText(chunk.tag);
            if (chunk.tag == tags::BGRJ || chunk.tag == tags::ADWA) {
                int& index = chunk.tag == tags::BGRJ ? backgrounds : clips;
                name += indexText(index++);
                std::string safe = safeFileNamePart(pendingName);
                if (!safe.empty())
                    name += "_" + safe;
                pendingName.clear();
            } else if (listing.kind == "stream" && isBlockTag(chunk.tag)) {
                name = "block" + indexText(blocks).substr(1) + "_" + name;
            }
            if (chunk.tag == tags::SPCG)
                ++blocks;
            if (!writePayload(payloadOffset(chunk.offset), chunk.payloadBytes, folder,
                              name + extensionFor(chunk.tag)))
                return false;
        }
        return true;
    }

    static bool isBlockTag(uint32_t tag)
    {
        return tag == tags::VISM || tag == tags::EXPR || tag == tags::MOTN || tag == tags::SPCG;
    }

    static std::string indexText(int index)
    {
        char text[16];
        std::snprintf(text, sizeof text, "_%02d", index);
        return text;
    }

    // Names are unique within one folder: a repeated name gets a running number.
    std::filesystem::path uniquePath(const std::filesystem::path& folder, const std::string& fileName)
    {
        std::filesystem::path candidate = folder / fileName;
        std::filesystem::path stem = std::filesystem::path(fileName).stem();
        std::filesystem::path extension = std::filesystem::path(fileName).extension();
        for (int n = 2; used_.count(candidate.string()); ++n)
            candidate = folder / (stem.string() + "_" + std::to_string(n) + extension.string());
        used_.insert(candidate.string());
        return candidate;
    }

    bool writePayload(uint64_t offset, uint64_t length, const std::filesystem::path& folder,
                      const std::string& fileName)
    {
        std::filesystem::path target = uniquePath(folder, fileName);
        std::error_code error;
        if (std::filesystem::is_symlink(target, error))
            std::filesystem::remove(target, error); // write the file itself, never through a link
        WindowByteSource payload(in_, offset, length);
        FileSink out;
        bool copied = out.create(target) && copyBlocks(payload, length, out, buffer_);
        if (!out.close() || !copied) {
            status_.setFileError(DocumentStatus::FileError::writeFailed, target.string());
            return false;
        }
        written_.push_back(target);
        return true;
    }

    ByteSource& in_;
    std::vector<std::filesystem::path>& written_;
    DocumentStatus& status_;
    std::vector<uint8_t> buffer_;
    std::set<std::string> used_;
};

} // namespace

std::string safeFileNamePart(const std::string& name)
{
    std::string safe;
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '_' || c == '.';
        safe += plain ? c : '_';
        if (safe.size() == kMaxNamePart)
            break;
    }
    size_t firstKept = safe.find_first_not_of('.');
    return firstKept == std::string::npos ? std::string() : safe.substr(firstKept);
}

bool extractDocument(ByteSource& in, const DocumentListing& listing, const std::filesystem::path& folder,
                     std::vector<std::filesystem::path>& written, DocumentStatus& status)
{
    return Extractor(in, written, status).extract(listing, folder);
}
