#include "export/AnimationStream.h"

#include "export/ByteOrder.h"

#include "Common/TempFile.h"
#include "face/HeadFiles.h"

#include <zlib.h>

#include <fstream>
#include <iterator>

namespace {

constexpr int kAlwaysPresent[] = {0, 1, 47, 48, 49};
constexpr int kFirstEyelid = 18;
constexpr int kLastEyelid = 21;
constexpr int kPackLevel = 6;
constexpr std::size_t kOutputStep = 65536;
constexpr std::uint64_t kMostInflation = 1032;

bool readWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

void putChunk(std::vector<std::uint8_t>& out, const char (&tag)[5], const std::vector<std::uint8_t>& bytes)
{
    putTag(out, tag);
    putLe32(out, std::uint32_t(bytes.size()));
    putBytes(out, bytes);
}

bool appendFile(std::ofstream& pack, const char (&tag)[5], const std::filesystem::path& path)
{
    if (path.empty())
        return true;
    std::vector<std::uint8_t> bytes;
    if (!readWhole(path, bytes))
        return false;
    std::vector<std::uint8_t> chunk;
    putChunk(chunk, tag, bytes);
    pack.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
    return bool(pack);
}

} // namespace

std::array<std::uint8_t, kFapMaskBytes> animationMask(const FapFrame& frame)
{
    std::array<std::uint8_t, kFapMaskBytes> mask{};
    const auto set = [&mask](int i) { mask[std::size_t(i / 8)] |= std::uint8_t(1u << (i % 8)); };
    for (const int i : kAlwaysPresent)
        set(i);
    for (int i = kFirstEyelid; i <= kLastEyelid; ++i)
        if (frame[std::size_t(i)] != 0)
            set(i);
    return mask;
}

std::vector<std::uint8_t> animationRecord(const FapFrame& frame)
{
    const auto mask = animationMask(frame);
    std::vector<std::uint8_t> values;
    for (int i = 0; i < kFapCount; ++i)
        if (mask[std::size_t(i / 8)] & (1u << (i % 8)))
            putLe32(values, std::uint32_t(frame[std::size_t(i)]));
    std::vector<std::uint8_t> record;
    putTag(record, "CFPS");
    putLe32(record, std::uint32_t(kFapMaskBytes + values.size()));
    putBytes(record, mask.data(), mask.size());
    putBytes(record, values);
    return record;
}

bool buildHeadPack(const CHeadModel& head, const HeadPackFiles& files, std::vector<std::uint8_t>& pack)
{
    ScopedTempFile mesh("~mr");
    ScopedTempFile packFile("~md");
    std::vector<std::uint8_t> meshBytes;
    if (!mesh.valid() || !packFile.valid() || writeMeshRecord(mesh.path(), head, false) != 1 ||
        !readWhole(mesh.path(), meshBytes))
        return false;
    {
        std::ofstream out(packFile.path(), std::ios::binary | std::ios::trunc);
        std::vector<std::uint8_t> chunk;
        putChunk(chunk, "MESH", meshBytes);
        out.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
        if (!out || !appendFile(out, "MSKJ", files.mask) || !appendFile(out, "FTXJ", files.photo) ||
            !appendFile(out, "TTTJ", files.teethTop) || !appendFile(out, "BTTJ", files.teethBottom) ||
            !appendFile(out, "BGRJ", files.background))
            return false;
        out.close();
        if (!out)
            return false;
    }
    return readWhole(packFile.path(), pack);
}

bool zipDeflate(const std::vector<std::uint8_t>& data, const std::string& entryName,
                std::vector<std::uint8_t>& zip)
{
    z_stream stream{};
    // Raw deflate: the archive's own headers replace zlib's.
    if (deflateInit2(&stream, kPackLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    std::vector<std::uint8_t> packed(kOutputStep);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = uInt(data.size());
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream.total_out == packed.size())
            packed.resize(packed.size() + kOutputStep);
        stream.next_out = packed.data() + stream.total_out;
        stream.avail_out = uInt(packed.size() - stream.total_out);
        result = deflate(&stream, Z_FINISH);
    }
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return false;
    const auto crc = std::uint32_t(crc32(0, data.data(), uInt(data.size())));

    zip.clear();
    const auto header = [&](bool central) {
        putLe32(zip, central ? 0x02014B50 : 0x04034B50);
        if (central)
            putLe16(zip, 20); // made by
        putLe16(zip, 20);     // needed to extract: deflate
        putLe16(zip, 0);
        putLe16(zip, 8);
        putLe16(zip, 0);    // time
        putLe16(zip, 0x21); // date: 1980-01-01
        putLe32(zip, crc);
        putLe32(zip, std::uint32_t(packed.size()));
        putLe32(zip, std::uint32_t(data.size()));
        putLe16(zip, std::uint16_t(entryName.size()));
        putLe16(zip, 0);
        if (central) {
            putLe16(zip, 0); // comment
            putLe16(zip, 0); // disk
            putLe16(zip, 0); // internal attributes
            putLe32(zip, 0); // external attributes
            putLe32(zip, 0); // the local header's offset
        }
        putBytes(zip, entryName.data(), entryName.size());
    };
    header(false);
    putBytes(zip, packed);
    const auto central = std::uint32_t(zip.size());
    header(true);
    const auto centralSize = std::uint32_t(zip.size()) - central;
    putLe32(zip, 0x06054B50);
    putLe16(zip, 0);
    putLe16(zip, 0);
    putLe16(zip, 1);
    putLe16(zip, 1);
    putLe32(zip, centralSize);
    putLe32(zip, central);
    putLe16(zip, 0);
    return true;
}

bool unzipSingle(const std::vector<std::uint8_t>& zip, std::vector<std::uint8_t>& data)
{
    if (zip.size() < 30 || le32(zip.data()) != 0x04034B50 || le16(zip.data() + 8) != 8)
        return false;
    const std::uint32_t crc = le32(zip.data() + 14);
    const std::uint32_t packedSize = le32(zip.data() + 18);
    const std::uint32_t size = le32(zip.data() + 22);
    const std::size_t start = 30 + std::size_t(le16(zip.data() + 26)) + le16(zip.data() + 28);
    if (start > zip.size() || packedSize > zip.size() - start)
        return false;
    // Deflate never gains more than about 1032 to 1: a larger declared size is a lie that would make
    // us reserve gigabytes before inflating anything.
    if (size > std::uint64_t(packedSize) * kMostInflation + kMostInflation)
        return false;
    data.assign(size, 0);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(zip.data() + start);
    stream.avail_in = packedSize;
    // zlib refuses a null output block even when nothing is to come out.
    std::uint8_t none = 0;
    stream.next_out = data.empty() ? &none : data.data();
    stream.avail_out = uInt(data.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    return whole && std::uint32_t(crc32(0, data.data(), uInt(data.size()))) == crc;
}
