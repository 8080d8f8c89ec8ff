#include "documents/CmtStreamReader.h"

#include "documents/ChunkedContainer.h"
#include "documents/CmtStreamWriter.h"

#include <array>

namespace {

constexpr std::uint32_t kHeaderLength = 4;
constexpr std::uint32_t kTimedRecordBytes = 14;
constexpr std::uint32_t kItemHeadBytes = 8; // count and version, which the length field leaves out
constexpr std::uint32_t kSpeechTypeBytes = 4;
constexpr std::uint32_t kUnitsPerMs = 16;

struct ChunkHead {
    std::uint32_t tag = 0;
    std::uint32_t length = 0;
};

// Where a chunk may stand: each kind after those of a lower rank, the repeatable ones in runs.
enum Rank { kBackgroundName, kMesh, kMask, kFace, kTeethTop, kTeethBottom, kBackgroundPicture, kBlocks };

bool rankOf(std::uint32_t tag, int& rank)
{
    static constexpr std::array<std::uint32_t, 7> kHeaderTags = {
        tags::BGDN, tags::MESH, tags::MSKJ, tags::FTXJ, tags::TTTJ, tags::BTTJ, tags::BGRJ};
    for (std::size_t i = 0; i < kHeaderTags.size(); ++i)
        if (kHeaderTags[i] == tag) {
            rank = int(i);
            return true;
        }
    return false;
}

bool isBlockTag(std::uint32_t tag)
{
    return tag == tags::VISM || tag == tags::EXPR || tag == tags::MOTN || tag == tags::SPCG ||
           tag == tags::SEND;
}

bool readChunkHead(ByteSource& in, ChunkHead& head)
{
    return in.readU32(head.tag) && in.readU32(head.length);
}

bool readPayload(ByteSource& in, std::uint64_t length, std::vector<std::uint8_t>& bytes)
{
    if (length > in.remaining())
        return false;
    bytes.resize(std::size_t(length));
    return in.readExactly(bytes.data(), bytes.size());
}

std::string msText(std::uint64_t units)
{
    return std::to_string(units / kUnitsPerMs) + " ms";
}

class StreamParser {
public:
    StreamParser(ByteSource& in, StreamContent& content) : in_(in), c_(content) {}

    StreamRead run(std::string& error)
    {
        if (!readHeader(error))
            return StreamRead::failed;
        ChunkHead head;
        if (!readHeadChunks(head, error))
            return StreamRead::failed;
        if (c_.damage.empty())
            readBlocks(head);
        return c_.damage.empty() ? StreamRead::whole : StreamRead::damaged;
    }

private:
    bool readHeader(std::string& error)
    {
        ChunkHead head;
        std::uint16_t reserved = 0;
        if (!readChunkHead(in_, head) || head.tag != tags::SHDR || head.length != kHeaderLength ||
            !in_.readU16(c_.version) || !in_.readU16(reserved)) {
            error = "not a stream file: it does not open with its header";
            return false;
        }
        if (c_.version != kStreamVersion) {
            error = "a stream file of version " + std::to_string(c_.version) +
                    ", which this reader does not know";
            return false;
        }
        return true;
    }

    // Up to the first block chunk, which is left in `head`. Damage before the mesh fails the read;
    // after it, it ends the read with the head kept.
    bool readHeadChunks(ChunkHead& head, std::string& error)
    {
        int reached = -1;
        for (;;) {
            if (!readChunkHead(in_, head))
                return headDamage("the file is cut short in its header", error);
            if (isBlockTag(head.tag))
                break;
            int rank = 0;
            if (!rankOf(head.tag, rank)) {
                if (!in_.skip(head.length))
                    return headDamage("the chunk \"" + tagText(head.tag) + "\" is cut short", error);
                continue;
            }
            const bool repeatable = rank == kBackgroundName || rank == kBackgroundPicture;
            if (rank < reached || (rank == reached && !repeatable))
                return headDamage("the chunk \"" + tagText(head.tag) + "\" is out of place", error);
            if (rank > kMesh && c_.mesh.empty())
                return headDamage("the pictures come before the head", error);
            reached = rank;
            if (!readHeadChunk(head, rank))
                return headDamage("the chunk \"" + tagText(head.tag) + "\" is cut short", error);
        }
        if (c_.mesh.empty()) {
            error = "the stream carries no head";
            return false;
        }
        return true;
    }

    bool headDamage(const std::string& why, std::string& error)
    {
        if (c_.mesh.empty()) {
            error = why;
            return false;
        }
        c_.damage = why;
        return true;
    }

    bool readHeadChunk(const ChunkHead& head, int rank)
    {
        switch (rank) {
        case kBackgroundName:
            c_.backgroundNames.emplace_back();
            return readNameChunk(in_, head.length, c_.backgroundNames.back());
        case kMesh:
            return readPayload(in_, head.length, c_.mesh) && !c_.mesh.empty();
        case kMask:
            return readPayload(in_, head.length, c_.mask);
        case kFace:
            return readPayload(in_, head.length, c_.faceTexture);
        case kTeethTop:
            return readPayload(in_, head.length, c_.teethTop);
        case kTeethBottom:
            return readPayload(in_, head.length, c_.teethBottom);
        default:
            c_.backgroundPictures.emplace_back();
            return readPayload(in_, head.length, c_.backgroundPictures.back());
        }
    }

    void readBlocks(ChunkHead head)
    {
        bool speechEnded = false;
        int itemRank = -1; // the last item chunk of this block: 0 visemes, 1 expressions, 2 head turns
        for (;;) {
            if (head.tag == tags::SEND)
                return;
            if (speechEnded) {
                damage("a block follows the end of the speech");
                return;
            }
            if (head.tag == tags::SPCG) {
                if (!readSpeech(head.length, speechEnded))
                    return;
                itemRank = -1;
            } else if (const int rank = itemRankOf(head.tag); rank >= 0) {
                if (rank <= itemRank) {
                    damage("the chunk \"" + tagText(head.tag) + "\" is out of place");
                    return;
                }
                itemRank = rank;
                if (!readItems(head, rank))
                    return;
            } else {
                // A block holds only these chunks: skipping another would lose the time of its speech.
                damage("the blocks hold an unknown chunk \"" + tagText(head.tag) + "\"");
                return;
            }
            if (!readChunkHead(in_, head)) {
                damage("the file is cut short");
                return;
            }
        }
    }

    static int itemRankOf(std::uint32_t tag)
    {
        return tag == tags::VISM ? 0 : tag == tags::EXPR ? 1 : tag == tags::MOTN ? 2 : -1;
    }

    // The length counts the records only; the payload walks by its count, which must agree with it.
    bool readItems(const ChunkHead& head, int rank)
    {
        std::uint32_t count = 0;
        const std::uint64_t payload = std::uint64_t(head.length) + kItemHeadBytes;
        const std::uint64_t start = in_.position();
        if (payload > in_.remaining()) {
            damage("the chunk \"" + tagText(head.tag) + "\" is cut short");
            return false;
        }
        if (!in_.readU32(count) || std::uint64_t(count) * kTimedRecordBytes != head.length) {
            damage("the chunk \"" + tagText(head.tag) + "\" counts more or fewer items than it holds");
            return false;
        }
        WindowByteSource window(in_, start, payload);
        ItemTracks read;
        const auto kind = rank == 0   ? ItemFileKind::visemes
                          : rank == 1 ? ItemFileKind::expressions
                                      : ItemFileKind::headTurns;
        if (!readItemFile(window, read, kind) || !in_.seek(start + payload)) {
            damage("the chunk \"" + tagText(head.tag) + "\" is damaged");
            return false;
        }
        append(c_.items.visemes, read.visemes);
        append(c_.items.expressions, read.expressions);
        append(c_.items.headTurns, read.headTurns);
        return true;
    }

    template <typename Record> static void append(std::vector<Record>& to, const std::vector<Record>& from)
    {
        to.insert(to.end(), from.begin(), from.end());
    }

    bool readSpeech(std::uint32_t length, bool& ended)
    {
        std::vector<std::uint8_t> payload;
        if (length < kSpeechTypeBytes || !readPayload(in_, length, payload)) {
            damage("the speech chunk is cut short");
            return false;
        }
        const std::uint32_t types = loadU32(payload.data());
        std::vector<std::uint8_t> sizes;
        std::size_t bytes = 0;
        for (std::size_t k = 0; k < kStreamFramesPerBlock; ++k) {
            static constexpr std::uint8_t kFrameBytes[4] = {0, 1, 4, 20};
            const std::uint8_t size = kFrameBytes[(types >> (2 * k)) & 3];
            if (size == 0) {
                // The speech ends with the first frame left out; no frame may follow it.
                if (types >> (2 * k) != 0) {
                    damage("the speech chunk announces a frame after its last one");
                    return false;
                }
                break;
            }
            sizes.push_back(size);
            bytes += size;
        }
        if (bytes != payload.size() - kSpeechTypeBytes) {
            damage("the speech chunk's frames do not fill it");
            return false;
        }
        c_.speech.bytes.insert(c_.speech.bytes.end(), payload.begin() + kSpeechTypeBytes, payload.end());
        c_.speech.sizes.insert(c_.speech.sizes.end(), sizes.begin(), sizes.end());
        ended = sizes.size() < kStreamFramesPerBlock;
        ++c_.blocks;
        return true;
    }

    void damage(const std::string& why)
    {
        c_.damage = why + " after " + msText(std::uint64_t(c_.blocks) * kStreamBlockUnits);
    }

    ByteSource& in_;
    StreamContent& c_;
};

} // namespace

bool startsAsStreamFile(ByteSource& in)
{
    const std::uint64_t at = in.position();
    ChunkHead head;
    const bool stream = readChunkHead(in, head) && head.tag == tags::SHDR && head.length == kHeaderLength;
    in.seek(at);
    return stream;
}

StreamRead readStreamFile(ByteSource& in, StreamContent& content, std::string& error)
{
    content = StreamContent();
    return StreamParser(in, content).run(error);
}
