// The header, head pack and record readers against an exported file and patched copies of it: every
// lying length is refused with a reason, never read past.
#include "player/AnimationStreamFormat.h"

#include "TestSupport.h"
#include "export/AnimationStream.h"
#include "face/CHeadModel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint64_t le64(const Bytes& bytes, std::size_t at)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | bytes[at + std::size_t(i)];
    return value;
}

void setLe32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

std::size_t find(const Bytes& bytes, const char* text)
{
    const auto found = std::search(bytes.begin(), bytes.end(), text, text + std::strlen(text));
    return found == bytes.end() ? std::string::npos : std::size_t(found - bytes.begin());
}

// The header of the default project's animation stream, as the command-line export writes it.
Bytes exportedHeader(const testsupport::TempDir& dir)
{
    const auto file = dir / "a.cmf";
    const auto result =
        testsupport::runCommand((testsupport::binDir() / "chattermask-cli").string() + " export " +
                                (testsupport::binDir() / "Default" / "Male.cmx").string() + " " +
                                file.string() + " --kind stream --seed 3");
    EXPECT_EQ(result.status, 0) << result.err;
    Bytes bytes = testsupport::readBinaryFile(file);
    if (bytes.size() >= 30)
        bytes.resize(std::min<std::size_t>(bytes.size(), std::size_t(le64(bytes, 16))));
    return bytes;
}

TEST(AnimationStreamFormat, HeaderGivesTheHeadAndEveryLyingLengthIsRefused)
{
    testsupport::TempDir dir;
    const Bytes header = exportedHeader(dir);
    ASSERT_GT(header.size(), 1000u);
    Bytes packed;
    std::vector<PackChunk> chunks;
    std::string error;
    ASSERT_TRUE(findPackedHead({header.data(), header.size()}, packed, error)) << error;
    ASSERT_TRUE(unpackHead(packed, chunks, error)) << error;
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks[0].tag, "MESH");
    const auto head = headFromPack(chunks, error);
    ASSERT_TRUE(head) << error;
    EXPECT_TRUE(head->isSetValid(1)) << "the deformation needs the neutral pose";

    const std::size_t mono = find(header, "MONO");
    const std::size_t qc10 = find(header, "QC10");
    ASSERT_NE(mono, std::string::npos);
    ASSERT_NE(qc10, std::string::npos);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"header size past the bytes", 16, 0x7FFFFFFF},
        {"header size below its own head", 16, 10},
        {"first object's size zero", 30 + 16, 0},
        {"first object's size past the header", 30 + 16, 0x7FFFFFF0},
        {"codec code", qc10, 0x3334504D}, // "MP43": a rendered video, not ours
        {"MONO length past the format data", mono + 4, 0x7FFFFFF0},
        {"bitmap header size past the type-specific data", qc10 - 16, 0x7FFFFFF0},
    };
    for (const Case& c : cases) {
        Bytes patched = header;
        setLe32(patched, c.at, c.value);
        if (c.at == 16)
            setLe32(patched, 20, 0);
        Bytes out;
        std::string reason;
        EXPECT_FALSE(findPackedHead({patched.data(), patched.size()}, out, reason)) << c.what;
        EXPECT_FALSE(reason.empty()) << c.what;
    }
    for (const std::size_t cut : {std::size_t(0), std::size_t(29), mono + 6, header.size() - 1}) {
        Bytes out;
        std::string reason;
        EXPECT_FALSE(findPackedHead({header.data(), cut}, out, reason)) << "cut at " << cut;
    }
}

TEST(AnimationStreamFormat, PackAndArchiveLengthsAreChecked)
{
    // A chunk that claims more bytes than the pack holds.
    Bytes pack = {'M', 'E', 'S', 'H', 0xFF, 0xFF, 0, 0, 1, 2, 3};
    Bytes zipped;
    ASSERT_TRUE(zipDeflate(pack, "head", zipped));
    std::vector<PackChunk> chunks;
    std::string error;
    EXPECT_FALSE(unpackHead(zipped, chunks, error));
    EXPECT_FALSE(error.empty());

    // An archive that declares gigabytes for a few packed bytes is refused before anything is reserved.
    pack = Bytes(1000, 7);
    ASSERT_TRUE(zipDeflate(pack, "head", zipped));
    setLe32(zipped, 22, 0xFFFFFFF0);
    Bytes data;
    EXPECT_FALSE(unzipSingle(zipped, data));
    EXPECT_LT(data.capacity(), 1u << 20);

    // A pack without a mesh has no head.
    chunks = {{"FTXJ", {1, 2, 3}}};
    EXPECT_EQ(headFromPack(chunks, error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(AnimationStreamFormat, RecordGivesItsValuesAndRefusesAnythingElse)
{
    FapFrame frame{};
    frame[0] = 0x05000800;
    frame[1] = 0x01001900;
    frame[18] = 900;
    frame[47] = -1700;
    frame[49] = 340;
    frame[10] = 55; // not carried
    const Bytes record = animationRecord(frame);
    FapFrame read{};
    read.fill(-1);
    ASSERT_TRUE(readAnimationRecord({record.data(), record.size()}, read));
    EXPECT_EQ(read[0], frame[0]);
    EXPECT_EQ(read[1], frame[1]);
    EXPECT_EQ(read[18], 900);
    EXPECT_EQ(read[19], 0);
    EXPECT_EQ(read[47], -1700);
    EXPECT_EQ(read[49], 340);
    EXPECT_EQ(read[10], 0) << "what a record leaves out is zero";

    for (std::size_t cut = 0; cut < record.size(); ++cut)
        EXPECT_FALSE(readAnimationRecord({record.data(), cut}, read)) << "cut at " << cut;
    Bytes patched = record;
    patched[0] = 'X';
    EXPECT_FALSE(readAnimationRecord({patched.data(), patched.size()}, read)) << "tag";
    patched = record;
    setLe32(patched, 4, std::uint32_t(record.size())); // longer than the bytes
    EXPECT_FALSE(readAnimationRecord({patched.data(), patched.size()}, read)) << "length";
    patched = record;
    patched[8 + 1] |= 0x01; // one more value announced than the length holds
    EXPECT_FALSE(readAnimationRecord({patched.data(), patched.size()}, read)) << "mask";
}

TEST(AnimationStreamFormat, PackedWordsAtFullWeightGiveTheirRowsBack)
{
    const CFapMixer rows(testsupport::binDir() / "Expressions");
    for (int viseme = 1; viseme < 15; viseme += 4) {
        FapFrame frame{};
        frame[0] = viseme << 24 | 63 << 8; // the viseme alone at full weight
        frame[1] = 2 << 24 | 0 << 16 | 0;  // an expression at weight zero adds nothing
        frame[18] = 123;                   // eyelids travel as values
        restoreBlendedValues(frame, rows);
        const FapRow& row = rows.visemeRow(viseme);
        for (int i = 2; i < kFapCount; ++i) {
            const bool blended = (i < 18 || i > 21) && (i < 47 || i > 49);
            const int expected = i == 18 ? 123 : blended ? row[std::size_t(i)] : 0;
            EXPECT_EQ(frame[std::size_t(i)], expected) << "viseme " << viseme << " entry " << i;
        }
    }
}

} // namespace
