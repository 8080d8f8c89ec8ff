#include "player/AnimationStreamFormat.h"

#include "export/AnimationStream.h"
#include "face/CHeadModel.h"
#include "images/CJpegPicture.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using Guid = std::array<std::uint8_t, 16>;

// GUIDs as the file stores them (first three fields little-endian).
constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kStreamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                    0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kVideoMedia = {0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11,
                              0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};

constexpr std::size_t kObjectHead = 24;
constexpr std::size_t kHeaderHead = 30;
constexpr std::size_t kTypeSpecificAt = 78;
// Video type-specific data: width, height, flags, format data size, then the bitmap header.
constexpr std::size_t kBitmapAt = 11;
constexpr std::size_t kBitmapHead = 40;
constexpr std::size_t kCompressionAt = kBitmapAt + 16;
constexpr std::size_t kRecordHead = 8 + kFapMaskBytes;
constexpr int kFaceSlot = 0, kTeethTopSlot = 1, kTeethBottomSlot = 2, kBackgroundSlot = 7;
constexpr int kNeutralSet = 1;

std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::uint64_t le64(const std::uint8_t* p)
{
    return std::uint64_t(le32(p)) | std::uint64_t(le32(p + 4)) << 32;
}

bool isGuid(const std::uint8_t* p, const Guid& id)
{
    return std::memcmp(p, id.data(), id.size()) == 0;
}

bool fail(std::string& error, const char* what)
{
    error = what;
    return false;
}

bool isAnimationStream(const std::uint8_t* object, std::size_t typeSpecificSize)
{
    const std::uint8_t* data = object + kTypeSpecificAt;
    return isGuid(object + kObjectHead, kVideoMedia) && typeSpecificSize >= kBitmapAt + kBitmapHead &&
           std::memcmp(data + kCompressionAt, "QC10", 4) == 0;
}

// The type-specific data of the first video stream announced as "QC10", within the header object.
bool animationStreamData(ByteView file, ByteView& typeSpecific, std::string& error)
{
    if (file.size < kHeaderHead || !isGuid(file.data, kHeaderObject))
        return fail(error, "not an animation stream file: the header object is missing");
    const std::uint64_t headerSize = le64(file.data + 16);
    if (headerSize < kHeaderHead || headerSize > file.size)
        return fail(error, "the header object is truncated");
    for (std::size_t at = kHeaderHead; at < headerSize;) {
        if (headerSize - at < kObjectHead)
            return fail(error, "the header objects are damaged");
        const std::uint8_t* p = file.data + at;
        const std::uint64_t size = le64(p + 16);
        if (size < kObjectHead || size > headerSize - at)
            return fail(error, "the header objects are damaged");
        if (isGuid(p, kStreamProperties)) {
            if (size < kTypeSpecificAt || le32(p + 64) > size - kTypeSpecificAt)
                return fail(error, "the stream properties object is damaged");
            if (isAnimationStream(p, le32(p + 64))) {
                typeSpecific = {p + kTypeSpecificAt, le32(p + 64)};
                return true;
            }
        }
        at += std::size_t(size);
    }
    return fail(error, "not an animation stream file: no stream is announced as \"QC10\"");
}

} // namespace

bool findPackedHead(ByteView header, std::vector<std::uint8_t>& packed, std::string& error)
{
    ByteView data;
    if (!animationStreamData(header, data, error))
        return false;
    const std::uint32_t bitmapSize = le32(data.data + kBitmapAt);
    if (bitmapSize < kBitmapHead || bitmapSize > data.size - kBitmapAt)
        return fail(error, "the animation stream's format data is damaged");
    const std::uint8_t* extra = data.data + kBitmapAt + kBitmapHead;
    const std::size_t extraSize = bitmapSize - kBitmapHead;
    if (extraSize < 8 || std::memcmp(extra, "MONO", 4) != 0 || le32(extra + 4) > extraSize - 8)
        return fail(error, "the animation stream carries no head");
    packed.assign(extra + 8, extra + 8 + le32(extra + 4));
    return true;
}

bool unpackHead(const std::vector<std::uint8_t>& packed, std::vector<PackChunk>& chunks, std::string& error)
{
    std::vector<std::uint8_t> pack;
    if (!unzipSingle(packed, pack))
        return fail(error, "the packed head is damaged");
    chunks.clear();
    for (std::size_t at = 0; at < pack.size();) {
        if (pack.size() - at < 8 || le32(&pack[at + 4]) > pack.size() - at - 8)
            return fail(error, "a chunk of the head pack is truncated");
        const std::size_t length = le32(&pack[at + 4]);
        const auto begin = pack.begin() + std::ptrdiff_t(at + 8);
        chunks.push_back({std::string(reinterpret_cast<const char*>(&pack[at]), 4),
                          std::vector<std::uint8_t>(begin, begin + std::ptrdiff_t(length))});
        at += 8 + length;
    }
    return true;
}

namespace {

const PackChunk* chunkOf(const std::vector<PackChunk>& chunks, const char* tag)
{
    const auto found = std::find_if(chunks.begin(), chunks.end(),
                                    [tag](const PackChunk& chunk) { return chunk.tag == tag; });
    return found == chunks.end() ? nullptr : &*found;
}

// The chunk's picture when it decodes and fits the slot.
bool slotPicture(const std::vector<PackChunk>& chunks, const char* tag, bool alpha, int slot,
                 const CHeadModel& head, CJpegPicture& picture)
{
    const PackChunk* chunk = chunkOf(chunks, tag);
    int width = 0, height = 0;
    return chunk && !chunk->bytes.empty() && head.slotSize(slot, width, height) &&
           picture.loadMemory(chunk->bytes.data(), chunk->bytes.size(), alpha) && picture.width() == width &&
           picture.height() == height;
}

const std::uint32_t* pixelsOf(const CJpegPicture& picture)
{
    return reinterpret_cast<const std::uint32_t*>(picture.pixels());
}

void putPictures(const std::vector<PackChunk>& chunks, CHeadModel& head)
{
    CJpegPicture face, mask, top, bottom, background;
    const bool hasFace = slotPicture(chunks, "FTXJ", false, kFaceSlot, head, face);
    const bool hasMask = slotPicture(chunks, "MSKJ", true, kFaceSlot, head, mask);
    if (hasFace) {
        if (hasMask)
            face.takeAlphaFrom(mask);
        head.writeSlotPixels(kFaceSlot, pixelsOf(face));
    } else if (hasMask) {
        head.writeSlotAlpha(kFaceSlot, pixelsOf(mask));
    }
    if (slotPicture(chunks, "TTTJ", false, kTeethTopSlot, head, top))
        head.writeSlotPixels(kTeethTopSlot, pixelsOf(top));
    if (slotPicture(chunks, "BTTJ", false, kTeethBottomSlot, head, bottom))
        head.writeSlotPixels(kTeethBottomSlot, pixelsOf(bottom));
    if (slotPicture(chunks, "BGRJ", false, kBackgroundSlot, head, background))
        head.writeSlotPixels(kBackgroundSlot, pixelsOf(background));
}

} // namespace

std::unique_ptr<CHeadModel> headFromPack(const std::vector<PackChunk>& chunks, std::string& error)
{
    const PackChunk* mesh = chunkOf(chunks, "MESH");
    if (!mesh) {
        error = "the head pack holds no mesh";
        return nullptr;
    }
    std::unique_ptr<CHeadModel> head = readMeshRecord({mesh->bytes.data(), mesh->bytes.size()});
    if (!head) {
        error = "the head pack's mesh is damaged";
        return nullptr;
    }
    // The deformation starts from the neutral pose, which the record holds as the current positions.
    head->saveToSet(kNeutralSet);
    putPictures(chunks, *head);
    return head;
}

bool readAnimationRecord(ByteView record, FapFrame& frame)
{
    if (record.size < kRecordHead || std::memcmp(record.data, "CFPS", 4) != 0)
        return false;
    const std::uint32_t length = le32(record.data + 4);
    if (length < kFapMaskBytes || length > record.size - 8)
        return false;
    const std::uint8_t* mask = record.data + 8;
    const std::uint8_t* value = record.data + kRecordHead;
    const std::uint8_t* end = record.data + 8 + length;
    frame.fill(0);
    for (int i = 0; i < kFapCount; ++i) {
        if (!(mask[i / 8] & (1u << (i % 8))))
            continue;
        if (end - value < 4)
            return false;
        frame[std::size_t(i)] = int(le32(value));
        value += 4;
    }
    return value == end;
}

namespace {

bool travelsAsValue(int i)
{
    return (i >= 18 && i <= 21) || (i >= 47 && i <= 49);
}

void blendWord(std::uint32_t word, const FapRow& current, const FapRow& next, FapFrame& frame)
{
    const double w = double((word >> 8) & 0xFF) / CFapMixer::kMaxIntensity;
    const double o = double(word & 0xFF) / CFapMixer::kMaxIntensity;
    for (int i = 2; i < kFapCount; ++i)
        if (!travelsAsValue(i)) {
            const auto at = std::size_t(i);
            frame[at] = int(w * current[at] + o * next[at] + frame[at]);
        }
}

} // namespace

void restoreBlendedValues(FapFrame& frame, const CFapMixer& rows)
{
    const auto expression = std::uint32_t(frame[1]);
    const auto viseme = std::uint32_t(frame[0]);
    blendWord(expression, rows.expressionRow(int(expression >> 24)),
              rows.expressionRow(int((expression >> 16) & 0xFF)), frame);
    blendWord(viseme, rows.visemeRow(int(viseme >> 24)), rows.visemeRow(int((viseme >> 16) & 0xFF)), frame);
}
