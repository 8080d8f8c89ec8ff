#include "DocTestSupport.h"

#include "documents/ChunkedContainer.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace doctest;

namespace {

SignatureResult readSignatureOf(const Bytes& bytes, DocumentKind kind, uint16_t& version)
{
    MemoryByteSource in(bytes.data(), bytes.size());
    return readSignature(in, kind, version);
}

} // namespace

TEST(ChunkedContainer, TagsAreTheirCharactersInReadingOrder)
{
    const std::pair<uint32_t, uint32_t> cases[] = {
        {tags::MESH, 0x4853454D}, {tags::FTXJ, 0x4A585446}, {tags::MSKJ, 0x4A4B534D},
        {tags::TTTJ, 0x4A545454}, {tags::BTTJ, 0x4A545442}, {tags::BGRJ, 0x4A524742},
        {tags::BGDN, 0x4E444742}, {tags::SPCW, 0x57435053}, {tags::VISM, 0x4D534956},
        {tags::EXPR, 0x52505845}, {tags::MOTN, 0x4E544F4D}, {tags::ACTN, 0x4E544341},
        {tags::ADID, 0x44494441}, {tags::ADDN, 0x4E444441}, {tags::ADWA, 0x41574441},
        {tags::BGID, 0x44494742}, {tags::MARK, 0x4B52414D}, {tags::SCPT, 0x54504353},
        {tags::SHDR, 0x52444853}, {tags::SPCG, 0x47435053}, {tags::SEND, 0x444E4553}};
    for (auto [tag, value] : cases)
        EXPECT_EQ(tag, value) << tagText(tag);
    EXPECT_EQ(tagText(tags::MESH), "MESH");
}

TEST(ChunkedContainer, SignatureBlocksHaveTheirFixedSizes)
{
    EXPECT_EQ(signatureSize(DocumentKind::project), 35u);
    EXPECT_EQ(signatureSize(DocumentKind::headDefinition), 43u);
    EXPECT_EQ(signatureSize(DocumentKind::headAnimation), 42u);
}

TEST(ChunkedContainer, AnyChangedSignatureByteIsRefused)
{
    for (DocumentKind kind :
         {DocumentKind::project, DocumentKind::headDefinition, DocumentKind::headAnimation}) {
        Bytes good = packStart(kind);
        uint16_t version = 0;
        ASSERT_EQ(readSignatureOf(good, kind, version), SignatureResult::ok);
        EXPECT_EQ(version, 9);
        for (size_t i = 0; i < signatureSize(kind); ++i) {
            Bytes patched = good;
            patched[i] ^= (i + 1 == signatureSize(kind)) ? 'x' : 0x20; // the NUL too
            EXPECT_EQ(readSignatureOf(patched, kind, version), SignatureResult::wrongSignature) << i;
        }
        Bytes cut(good.begin(), good.begin() + static_cast<long>(signatureSize(kind)) - 1);
        EXPECT_EQ(readSignatureOf(cut, kind, version), SignatureResult::wrongSignature);
    }
}

TEST(ChunkedContainer, VersionWordsUpToNineAreAccepted)
{
    const std::pair<uint16_t, SignatureResult> cases[] = {{0, SignatureResult::ok},
                                                          {9, SignatureResult::ok},
                                                          {10, SignatureResult::versionTooNew},
                                                          {0xFFFF, SignatureResult::versionTooNew}};
    for (auto [version, expected] : cases) {
        uint16_t found = 0;
        EXPECT_EQ(readSignatureOf(packStart(DocumentKind::headDefinition, version),
                                  DocumentKind::headDefinition, found),
                  expected);
        EXPECT_EQ(found, version);
    }
}

TEST(ChunkedContainer, PropertyRecordsFillTheirBlocksWithinBounds)
{
    struct Case {
        const char* what;
        Bytes records;
        bool ok;
        int32_t editValue;    // the 4-byte block of 0x10001 afterwards
        uint64_t endPosition; // where the reader leaves the source
    };
    auto record = [](uint32_t id, const Bytes& payload) {
        Bytes bytes;
        putU32(bytes, id);
        putU32(bytes, static_cast<uint32_t>(payload.size()));
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        return bytes;
    };
    Bytes value{0x11, 0x22, 0x33, 0x44};
    Bytes longValue{0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    Bytes last = record(0x10010, Bytes(548, 0));
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    Bytes unknown = record(makeTag("MESH"), Bytes(4, 9));
    Case cases[] = {
        {"exact record then the last id", join({record(0x10001, value), last}), true, 0x44332211, 12 + 556},
        {"longer record keeps the block and skips the rest", join({record(0x10001, longValue), last}), true,
         0x44332211, 14 + 556},
        {"shorter record fills its start", join({record(0x10001, Bytes{0x7F}), last}), true, 0x7F, 9 + 556},
        {"unknown id first is left for the chunks", unknown, true, 0, 0},
        {"length past the end", join({record(0x10001, value)}), false, 0, 0},
        {"id without length", Bytes{1, 0, 1, 0}, false, 0, 0},
        {"nothing at all", Bytes{}, false, 0, 0},
    };
    cases[4].records.resize(cases[4].records.size() - 1);
    for (Case& c : cases) {
        HeadDefinitionProperties properties;
        PropertyBlocks blocks;
        blocks.headDefinition = &properties;
        MemoryByteSource in(c.records.data(), c.records.size());
        EXPECT_EQ(readPropertyRecords(in, blocks), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(properties.editPanelValue, c.editValue) << c.what;
            EXPECT_EQ(in.position(), c.endPosition) << c.what;
        }
    }
}

TEST(ChunkedContainer, FilesAreCopiedIntoChunksWhole)
{
    PrivateTempFolder temp;
    for (size_t size : {size_t{0}, size_t{1}, size_t{65536}, size_t{65537}, size_t{200000}}) {
        Bytes content = patternBytes(size);
        auto source = writeFile(temp.path() / "source.bin", content);
        std::vector<uint8_t> buffer;
        DocumentStatus status;
        FileSink out;
        ASSERT_TRUE(out.create(temp.path() / "chunk.bin"));
        ASSERT_TRUE(copyFileIntoChunk(out, tags::FTXJ, source, buffer, status));
        ASSERT_TRUE(out.close());
        EXPECT_LE(buffer.size(), kCopyBlockSize);
        Bytes chunk = readFile(temp.path() / "chunk.bin");
        ASSERT_EQ(chunk.size(), size + 8);
        EXPECT_EQ(tagAt(chunk, 0), "FTXJ");
        EXPECT_EQ(u32At(chunk, 4), size);
        EXPECT_TRUE(std::equal(content.begin(), content.end(), chunk.begin() + 8));

        MemoryByteSource in(chunk.data() + 8, chunk.size() - 8);
        auto extracted = copyChunkOut(in, "~ft", size, buffer, status);
        ASSERT_FALSE(extracted.empty());
        EXPECT_EQ(extracted.filename().string().substr(0, 3), "~ft");
        EXPECT_EQ(readFile(extracted), content);
        std::filesystem::remove(extracted);
    }
}

TEST(ChunkedContainer, PayloadRunningPastTheEndIsNotExtracted)
{
    PrivateTempFolder temp;
    Bytes payload = patternBytes(100);
    MemoryByteSource in(payload.data(), payload.size());
    std::vector<uint8_t> buffer;
    DocumentStatus status;
    EXPECT_TRUE(copyChunkOut(in, "~bg", 101, buffer, status).empty());
    EXPECT_EQ(status.fileError, DocumentStatus::FileError::endOfFile);
    EXPECT_EQ(in.position(), 0u);
    EXPECT_EQ(temp.fileCount(), 0u);
}

TEST(ChunkedContainer, NameChunksCountTheirNulAndStayWithinTheField)
{
    PrivateTempFolder temp;
    const std::pair<std::string, uint32_t> cases[] = {
        {"", 1}, {"sky", 4}, {std::string(255, 'a'), 256}, {std::string(300, 'b'), 256}};
    for (const auto& [name, length] : cases) {
        FileSink out;
        ASSERT_TRUE(out.create(temp.path() / "name.bin"));
        ASSERT_TRUE(writeNameChunk(out, tags::BGDN, name));
        ASSERT_TRUE(out.close());
        Bytes chunk = readFile(temp.path() / "name.bin");
        EXPECT_EQ(u32At(chunk, 4), length);
        EXPECT_EQ(chunk.back(), 0);
    }
    // A stored name longer than the field is cut to 255 characters and the rest is skipped.
    Bytes payload(400, 'z');
    payload.push_back(0);
    payload.push_back(0x55);
    MemoryByteSource in(payload.data(), payload.size());
    std::string name;
    ASSERT_TRUE(readNameChunk(in, 401, name));
    EXPECT_EQ(name, std::string(255, 'z'));
    EXPECT_EQ(in.position(), 401u);
    EXPECT_FALSE(readNameChunk(in, 2, name)); // runs past the end
}
