#include "DocTestSupport.h"

#include "documents/DocumentListing.h"
#include "documents/HeadPacks.h"
#include "documents/ProjectStore.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

std::vector<std::string> chunkTags(const std::filesystem::path& path)
{
    FileByteSource in;
    EXPECT_TRUE(in.open(path));
    DocumentListing listing;
    DocumentStatus status;
    EXPECT_TRUE(listDocument(in, path.string(), listing, status));
    std::vector<std::string> tagsFound;
    for (const auto& chunk : listing.chunks)
        tagsFound.push_back(tagText(chunk.tag) + (chunk.name.empty() ? "" : ":" + chunk.name));
    return tagsFound;
}

struct AnimationFiles {
    explicit AnimationFiles(const std::filesystem::path& folder)
    {
        for (const char* name :
             {"voice.wav", "vis", "exp", "mot", "act", "aii", "sky.jpg", "sea.jpg", "clip.wav"})
            files.push_back(writeFile(folder / name,
                                      patternBytes(100 + files.size(), static_cast<uint8_t>(files.size()))));
    }
    void fill(ProjectStore& store, bool withClip) const
    {
        const AssetKind kinds[] = {AssetKind::speech,    AssetKind::visemes, AssetKind::expressions,
                                   AssetKind::headTurns, AssetKind::events,  AssetKind::sounds};
        for (size_t i = 0; i < 6; ++i)
            store.setAsset(files[i].string(), kinds[i], false);
        store.addBackground(files[6].string(), "sky", false);
        store.addBackground(files[7].string(), "sea", false);
        if (withClip)
            store.addSoundClip(files[8].string(), "bell", false);
    }
    std::vector<std::filesystem::path> files;
};

bool readPackBytes(ProjectStore& store, const Bytes& bytes, DocumentKind kind, DocumentStatus& status)
{
    MemoryByteSource in(bytes.data(), bytes.size());
    return readPack(store, in, "memory.pack", kind, status);
}

} // namespace

TEST(HeadPacks, MeshOnlyHeadDefinitionHasTheDescribedLayout)
{
    PrivateTempFolder temp;
    Bytes mesh = patternBytes(1000);
    auto meshFile = writeFile(temp.path() / "head.mesh", mesh);
    ProjectStore store;
    ASSERT_TRUE(store.setAsset(meshFile.string(), AssetKind::headMesh, false));
    store.headDefinitionProperties().editPanelValue = 0x01020304;
    DocumentStatus status;
    ASSERT_TRUE(writePack(store, temp.path() / "out.hdp", DocumentKind::headDefinition, status));
    Bytes pack = readFile(temp.path() / "out.hdp");

    ASSERT_EQ(pack.size(), 1133u + 8 + mesh.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pack.data())),
              "Quillmere Chattermask Head Definition Pack");
    EXPECT_EQ(pack[43] | pack[44] << 8, 9);
    const std::tuple<size_t, uint32_t, uint32_t> records[] = {
        {45, 0x10000, 512}, {565, 0x10001, 4}, {577, 0x10010, 548}};
    for (auto [offset, id, length] : records) {
        EXPECT_EQ(u32At(pack, offset), id);
        EXPECT_EQ(u32At(pack, offset + 4), length);
    }
    EXPECT_EQ(u32At(pack, 573), 0x01020304u);
    EXPECT_EQ(tagAt(pack, 1133), "MESH");
    EXPECT_EQ(u32At(pack, 1137), mesh.size());
    EXPECT_TRUE(std::equal(mesh.begin(), mesh.end(), pack.begin() + 1141));
    EXPECT_EQ(store.packPath(DocumentKind::headDefinition), (temp.path() / "out.hdp").string());

    ProjectStore back;
    ASSERT_TRUE(readPack(back, temp.path() / "out.hdp", DocumentKind::headDefinition, status));
    EXPECT_EQ(readFile(back.assetPath(AssetKind::headMesh)), mesh);
    EXPECT_TRUE(back.isOwned(AssetKind::headMesh));
    for (AssetKind kind :
         {AssetKind::faceTexture, AssetKind::mask, AssetKind::teethTop, AssetKind::teethBottom})
        EXPECT_EQ(back.assetPath(kind), "");
    EXPECT_EQ(back.headDefinitionProperties().editPanelValue, 0x01020304);
    back.reset();
    EXPECT_EQ(temp.fileCount(), 2u); // the mesh and the pack: extracted files are gone
}

TEST(HeadPacks, HeadAnimationWritesBackgroundsBetweenEventsAndSounds)
{
    PrivateTempFolder temp;
    AnimationFiles files(temp.path());
    ProjectStore store;
    files.fill(store, false);
    DocumentStatus status;
    ASSERT_TRUE(writePack(store, temp.path() / "out.hap", DocumentKind::headAnimation, status));
    Bytes pack = readFile(temp.path() / "out.hap");
    EXPECT_EQ(u32At(pack, 44), 0x100000u);
    EXPECT_EQ(u32At(pack, 308), 0x100001u);
    EXPECT_EQ(u32At(pack, 344), 0x100010u);
    EXPECT_EQ(tagAt(pack, 900), "SPCW");
    std::vector<std::string> expected = {"SPCW",     "VISM", "EXPR",     "MOTN", "ACTN",
                                         "BGDN:sky", "BGRJ", "BGDN:sea", "BGRJ", "ADID"};
    EXPECT_EQ(chunkTags(temp.path() / "out.hap"), expected);

    ProjectStore back;
    ASSERT_TRUE(readPack(back, temp.path() / "out.hap", DocumentKind::headAnimation, status));
    ASSERT_EQ(back.backgrounds().count(), 2);
    EXPECT_EQ(back.backgrounds().name(0), "sky");
    EXPECT_EQ(back.backgrounds().name(1), "sea");
    EXPECT_EQ(back.selectedBackground(), -1);
    EXPECT_EQ(readFile(back.assetPath(AssetKind::background, 1)), readFile(files.files[7]));
    EXPECT_EQ(readFile(back.assetPath(AssetKind::speech)), readFile(files.files[0]));
    EXPECT_EQ(readFile(back.assetPath(AssetKind::sounds)), readFile(files.files[5]));
}

TEST(HeadPacks, RoundTripOfAPackWithSoundClipsIsByteExact)
{
    PrivateTempFolder temp;
    AnimationFiles files(temp.path());
    ProjectStore store;
    files.fill(store, true);
    store.headAnimationProperties().contentFlags.visemes = 1;
    copyToField(store.headAnimationProperties().summary.text5, "notes");
    DocumentStatus status;
    ASSERT_TRUE(writePack(store, temp.path() / "first.hap", DocumentKind::headAnimation, status));
    ProjectStore back;
    ASSERT_TRUE(readPack(back, temp.path() / "first.hap", DocumentKind::headAnimation, status));
    EXPECT_EQ(back.soundClips().name(0), "bell");
    ASSERT_TRUE(writePack(back, temp.path() / "second.hap", DocumentKind::headAnimation, status));
    EXPECT_EQ(readFile(temp.path() / "first.hap"), readFile(temp.path() / "second.hap"));
    EXPECT_EQ(fieldText(back.headAnimationProperties().summary.text5), "notes");
}

TEST(HeadPacks, MalformedPacksAreHandled)
{
    struct Case {
        const char* what;
        DocumentKind kind;
        Bytes bytes;
        bool ok;
        unsigned message;
    };
    Bytes hdp = packStart(DocumentKind::headDefinition);
    Bytes hap = packStart(DocumentKind::headAnimation);
    auto with = [](Bytes bytes, auto add) {
        add(bytes);
        return bytes;
    };
    Case cases[] = {
        {"ends after its properties", DocumentKind::headDefinition, hdp, true, 0},
        {"speech in a head definition", DocumentKind::headDefinition,
         with(hdp, [](Bytes& b) { putChunk(b, "SPCW", patternBytes(10)); }), false, 0xE822},
        {"mesh in a head animation", DocumentKind::headAnimation,
         with(hap, [](Bytes& b) { putChunk(b, "MESH", patternBytes(10)); }), false, 0xE822},
        {"unknown tag", DocumentKind::headAnimation,
         with(hap, [](Bytes& b) { putChunk(b, "ZZZZ", Bytes{}); }), false, 0xE822},
        {"ignored chunks", DocumentKind::headAnimation,
         with(hap,
              [](Bytes& b) {
                  putChunk(b, "BGID", patternBytes(10));
                  putChunk(b, "MARK", Bytes{});
                  putChunk(b, "SCPT", patternBytes(3));
              }),
         true, 0},
        {"wrong signature", DocumentKind::headAnimation, hdp, false, 0xE823},
        {"version ten", DocumentKind::headDefinition, packStart(DocumentKind::headDefinition, 10), false,
         0xE821},
        {"chunk longer than the file", DocumentKind::headDefinition,
         with(hdp,
              [](Bytes& b) {
                  putChunk(b, "FTXJ", patternBytes(10));
                  b.resize(b.size() - 1);
              }),
         false, 0},
        {"tag cut short", DocumentKind::headDefinition, with(hdp, [](Bytes& b) { b.push_back('M'); }), false,
         0},
        {"length cut short", DocumentKind::headDefinition,
         with(hdp, [](Bytes& b) { putText(b, "MESH\x01"); }), false, 0},
        {"huge length", DocumentKind::headAnimation,
         with(hap,
              [](Bytes& b) {
                  putU32(b, tags::BGDN);
                  putU32(b, 0xFFFFFFFF);
              }),
         false, 0},
    };
    for (Case& c : cases) {
        PrivateTempFolder temp;
        ProjectStore store;
        DocumentStatus status;
        EXPECT_EQ(readPackBytes(store, c.bytes, c.kind, status), c.ok) << c.what;
        EXPECT_EQ(status.messageId, c.message) << c.what;
        if (!c.ok && c.message == 0) {
            EXPECT_EQ(status.fileError, DocumentStatus::FileError::endOfFile) << c.what;
        }
        store.reset();
        EXPECT_EQ(temp.fileCount(), 0u) << c.what;
    }
}

TEST(HeadPacks, ListsKeepTheirFirstHundredEntries)
{
    PrivateTempFolder temp;
    Bytes hap = packStart(DocumentKind::headAnimation);
    for (int i = 0; i < 101; ++i)
        putNameChunk(hap, "BGDN", "name" + std::to_string(i));
    for (int i = 0; i < 101; ++i)
        putChunk(hap, "BGRJ", patternBytes(5));
    ProjectStore store;
    DocumentStatus status;
    ASSERT_TRUE(readPackBytes(store, hap, DocumentKind::headAnimation, status));
    EXPECT_EQ(store.backgrounds().count(), 100);
    EXPECT_EQ(store.backgrounds().name(0), "name0");
    EXPECT_EQ(store.backgrounds().name(99), "name99");
    EXPECT_EQ(temp.fileCount(), 100u); // the 101st image was dropped with its file
    store.reset();
    EXPECT_EQ(temp.fileCount(), 0u);
}

TEST(HeadPacks, UnnamedEntriesTakeTheirFileStem)
{
    PrivateTempFolder temp;
    Bytes hap = packStart(DocumentKind::headAnimation);
    putChunk(hap, "ADWA", patternBytes(5));
    ProjectStore store;
    DocumentStatus status;
    ASSERT_TRUE(readPackBytes(store, hap, DocumentKind::headAnimation, status));
    ASSERT_EQ(store.soundClips().count(), 1);
    EXPECT_EQ(store.soundClips().name(0).substr(0, 3), "~au");
}

TEST(HeadPacks, FailedWriteKeepsThePreviousFile)
{
    PrivateTempFolder temp;
    auto target = writeFile(temp.path() / "keep.hdp", Bytes{1, 2, 3});
    ProjectStore store;
    ASSERT_TRUE(store.setAsset((temp.path() / "missing.mesh").string(), AssetKind::headMesh, false));
    DocumentStatus status;
    EXPECT_FALSE(writePack(store, target, DocumentKind::headDefinition, status));
    EXPECT_EQ(status.fileError, DocumentStatus::FileError::notFound);
    EXPECT_EQ(readFile(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(temp.fileCount(), 1u); // no half-written file left beside it
}

TEST(HeadPacks, VanishedOwnedVoiceIsDroppedNotFatal)
{
    PrivateTempFolder temp;
    auto voice = writeFile(temp.path() / "owned.wav", patternBytes(10));
    ProjectStore store;
    ASSERT_TRUE(store.setAsset(voice.string(), AssetKind::speech, true));
    std::filesystem::remove(voice);
    DocumentStatus status;
    ASSERT_TRUE(writePack(store, temp.path() / "out.hap", DocumentKind::headAnimation, status));
    EXPECT_EQ(store.assetPath(AssetKind::speech), "");
    EXPECT_EQ(readFile(temp.path() / "out.hap").size(), 900u);
}
