#include "DocTestSupport.h"

#include "documents/HeadPacks.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

Bytes projectStart()
{
    return packStart(DocumentKind::project);
}

void putSection(Bytes& bytes, uint32_t id, const Bytes& payload)
{
    putU32(bytes, id);
    putU32(bytes, static_cast<uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
}

bool loadBytes(ProjectStore& store, const Bytes& bytes, unsigned mask, DocumentStatus& status)
{
    MemoryByteSource in(bytes.data(), bytes.size());
    return loadProject(store, in, "memory.cmp", mask, status);
}

// A store with a mesh, a face picture, a voice and one background, all user files in `folder`.
void fillStore(ProjectStore& store, const std::filesystem::path& folder)
{
    store.setAsset(writeFile(folder / "head.mesh", patternBytes(700)).string(), AssetKind::headMesh, false);
    store.setAsset(writeFile(folder / "face.jpg", patternBytes(300, 3)).string(), AssetKind::faceTexture,
                   false);
    store.setAsset(writeFile(folder / "voice.wav", patternBytes(70000, 5)).string(), AssetKind::speech,
                   false);
    store.addBackground(writeFile(folder / "sky.jpg", patternBytes(50, 9)).string(), "sky", false);
    copyToField(store.projectProperties().summary.text1, "project title");
    store.setHeadDefinitionPackName("/x/head.hdp");
}

} // namespace

TEST(ProjectFile, SavedProjectHasItsSectionsInOrder)
{
    PrivateTempFolder temp;
    ProjectStore store;
    fillStore(store, temp.path());
    DocumentStatus status;
    auto path = temp.path() / "out.cmp";
    ASSERT_TRUE(saveProject(store, path, status));
    EXPECT_EQ(store.projectPath(), path.string());
    Bytes project = readFile(path);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(project.data())),
              "Quillmere Chattermask Project File");
    EXPECT_EQ(project[35] | project[36] << 8, 9);
    size_t at = 37;
    for (uint32_t id : {0x20u, 0x10u, 0x11u}) {
        ASSERT_EQ(u32At(project, at), id);
        at += 8 + u32At(project, at + 4);
    }
    EXPECT_EQ(u32At(project, 37 + 4), 520u + 556u); // the property file: records 0 and 1
    EXPECT_EQ(u32At(project, at), 0xFFF0u);
    EXPECT_EQ(project.size(), at + 4);
    EXPECT_EQ(temp.fileCount(), 5u); // the four user files and the project: no section file left
}

TEST(ProjectFile, RoundTripRestoresEveryPart)
{
    PrivateTempFolder temp;
    ProjectStore store;
    fillStore(store, temp.path());
    DocumentStatus status;
    ASSERT_TRUE(saveProject(store, temp.path() / "a.cmp", status));
    ProjectStore back;
    ASSERT_TRUE(loadProject(back, temp.path() / "a.cmp", kLoadAll, status));
    EXPECT_EQ(back.projectPath(), (temp.path() / "a.cmp").string());
    EXPECT_EQ(readFile(back.assetPath(AssetKind::headMesh)), patternBytes(700));
    EXPECT_EQ(readFile(back.assetPath(AssetKind::speech)), patternBytes(70000, 5));
    EXPECT_EQ(back.backgrounds().name(0), "sky");
    EXPECT_EQ(fieldText(back.projectProperties().summary.text1), "project title");
    EXPECT_EQ(fieldText(back.projectProperties().packNames.headDefinition), "head.hdp");
    EXPECT_EQ(fieldText(back.headDefinitionProperties().pictureNames.faceTexture), "face.jpg");
    ASSERT_TRUE(saveProject(back, temp.path() / "b.cmp", status));
    EXPECT_EQ(readFile(temp.path() / "a.cmp"), readFile(temp.path() / "b.cmp"));
}

TEST(ProjectFile, MalformedProjectsFailAndResetTheStore)
{
    struct Case {
        const char* what;
        Bytes bytes;
        unsigned mask;
        bool ok;
        unsigned message;
    };
    auto project = [](auto add) {
        Bytes bytes = projectStart();
        add(bytes);
        return bytes;
    };
    Bytes wrong = projectStart();
    wrong[34] = '!';
    Bytes newer = packStart(DocumentKind::project, 10);
    putU32(newer, 0xFFF0);
    Case cases[] = {
        {"only the end marker, properties only", project([](Bytes& b) { putU32(b, 0xFFF0); }), 1, true, 0},
        {"section 0x12", project([](Bytes& b) {
             putSection(b, 0x12, Bytes{});
             putU32(b, 0xFFF0);
         }),
         7, false, 0},
        {"no end marker", project([](Bytes& b) { putSection(b, 0x20, Bytes{}); }), 7, false, 0},
        {"section longer than the file", project([](Bytes& b) {
             putU32(b, 0x10);
             putU32(b, 1000);
         }),
         7, false, 0},
        {"empty head definition section", project([](Bytes& b) {
             putSection(b, 0x10, Bytes{});
             putU32(b, 0xFFF0);
         }),
         2, false, 0xE823},
        {"missing NUL of the signature", wrong, 7, false, 0xE820},
        {"version ten", newer, 7, false, 0xE821},
    };
    for (Case& c : cases) {
        PrivateTempFolder temp;
        ProjectStore store;
        store.setProjectPath("/previous.cmp");
        DocumentStatus status;
        EXPECT_EQ(loadBytes(store, c.bytes, c.mask, status), c.ok) << c.what;
        EXPECT_EQ(status.messageId, c.message) << c.what;
        EXPECT_EQ(store.projectPath(), c.ok ? "memory.cmp" : "") << c.what;
        EXPECT_EQ(temp.fileCount(), 0u) << c.what;
    }
}

TEST(ProjectFile, RepeatedSectionReplacesTheEarlierOne)
{
    PrivateTempFolder temp;
    ProjectStore store;
    store.setAsset(writeFile(temp.path() / "one.mesh", patternBytes(10, 1)).string(), AssetKind::headMesh,
                   false);
    DocumentStatus status;
    ASSERT_TRUE(writePack(store, temp.path() / "one.hdp", DocumentKind::headDefinition, status));
    store.setAsset(writeFile(temp.path() / "two.mesh", patternBytes(20, 2)).string(), AssetKind::headMesh,
                   false);
    ASSERT_TRUE(writePack(store, temp.path() / "two.hdp", DocumentKind::headDefinition, status));
    Bytes bytes = projectStart();
    putSection(bytes, 0x10, readFile(temp.path() / "one.hdp"));
    putSection(bytes, 0x10, readFile(temp.path() / "two.hdp"));
    putU32(bytes, 0xFFF0);
    ProjectStore back;
    ASSERT_TRUE(loadBytes(back, bytes, kLoadHeadDefinition, status));
    EXPECT_EQ(readFile(back.assetPath(AssetKind::headMesh)), patternBytes(20, 2));
}

TEST(ProjectFile, FailedSaveKeepsThePreviousProject)
{
    PrivateTempFolder temp;
    ProjectStore store;
    fillStore(store, temp.path());
    DocumentStatus status;
    auto path = temp.path() / "keep.cmp";
    ASSERT_TRUE(saveProject(store, path, status));
    Bytes before = readFile(path);
    std::filesystem::remove(temp.path() / "face.jpg"); // a user file gone: the save must fail
    size_t filesBefore = temp.fileCount();
    EXPECT_FALSE(saveProject(store, path, status));
    EXPECT_EQ(status.fileError, DocumentStatus::FileError::notFound);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(temp.fileCount(), filesBefore);
}
