#include "DocTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace doctest;
using testsupport::runCommand;

namespace {

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::string quoted(const std::filesystem::path& path)
{
    std::string text(1, '\'');
    text.append(path.string());
    text.push_back('\'');
    return text;
}

// The command line of the tool with `words` separated by spaces.
std::string command(std::initializer_list<std::string> words)
{
    std::string line = cli();
    for (const std::string& word : words) {
        line.push_back(' ');
        line.append(word);
    }
    return line;
}

// The smallest whole mesh record: one triangle, no feature points, regions, eyelid pairs or lines.
Bytes triangleMeshRecord()
{
    Bytes record;
    putU32(record, 3);
    putU32(record, 1);
    const float corners[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    for (float value : corners) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        putU32(record, bits);
    }
    for (uint32_t value : {0u, 1u, 2u, 0u, 0u, 0u, 0u, 0u, 0u, 0u})
        putU32(record, value);
    for (int i = 0; i < 84; ++i)
        putU32(record, 0xFFFFFFFF);
    for (int i = 0; i < 18 + 3; ++i)
        putU32(record, 0);
    return record;
}

} // namespace

TEST(DocCommands, ListingShowsRecordAndChunkOffsets)
{
    testsupport::TempDir folder;
    auto mesh = writeFile(folder / "head.mesh", patternBytes(64));
    auto face = writeFile(folder / "face.jpg", patternBytes(20));
    auto hdp = folder / "out.hdp";
    auto made =
        runCommand(command({"hdp create", quoted(hdp), "--mesh", quoted(mesh), "--face", quoted(face)}));
    ASSERT_EQ(made.status, 0) << made.err;
    auto listed = runCommand(command({"doc ls", quoted(hdp), "--json"}));
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const char* expected :
         {R"("kind":"head_definition")", R"("version":9)", R"({"id":65536,"offset":45,"length":512})",
          R"({"id":65537,"offset":565,"length":4})", R"({"id":65552,"offset":577,"length":548})",
          R"({"tag":"MESH","offset":1133,"length":64})", R"({"tag":"FTXJ","offset":1205,"length":20})"})
        EXPECT_NE(listed.out.find(expected), std::string::npos) << expected << "\n" << listed.out;
}

TEST(DocCommands, ProjectListingNestsItsPacks)
{
    testsupport::TempDir folder;
    Bytes hdp = packStart(DocumentKind::headDefinition);
    putChunk(hdp, "MESH", patternBytes(8));
    Bytes hap = packStart(DocumentKind::headAnimation);
    putChunk(hap, "SPCW", patternBytes(8));
    writeFile(folder / "a.hdp", hdp);
    writeFile(folder / "b.hap", hap);
    auto made = runCommand(command({"cmp create", quoted(folder / "p.cmp"), "--hdp", quoted(folder / "a.hdp"),
                                    "--hap", quoted(folder / "b.hap")}));
    ASSERT_EQ(made.status, 0) << made.err;
    auto listed = runCommand(command({"doc ls", quoted(folder / "p.cmp"), "--json"}));
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const char* expected :
         {R"("kind":"project")",
          R"("sections":[{"id":32,"offset":37,"length":1076,"content":{"kind":"properties")",
          R"({"id":16,"offset":1121,"length":1149,"content":{"kind":"head_definition")",
          R"({"tag":"MESH","offset":1133,"length":8})", R"("kind":"head_animation")",
          R"({"tag":"SPCW","offset":900,"length":8})"})
        EXPECT_NE(listed.out.find(expected), std::string::npos) << expected << "\n" << listed.out;
}

TEST(DocCommands, ExtractionNeverLeavesTheFolder)
{
    testsupport::TempDir folder;
    Bytes hap = packStart(DocumentKind::headAnimation);
    putChunk(hap, "SPCW", patternBytes(30));
    putNameChunk(hap, "BGDN", "../../escape");
    putChunk(hap, "BGRJ", patternBytes(10));
    putNameChunk(hap, "BGDN", "/etc/passwd");
    putChunk(hap, "BGRJ", patternBytes(11));
    putNameChunk(hap, "ADDN", "..");
    putChunk(hap, "ADWA", patternBytes(12));
    putChunk(hap, "SPCW", patternBytes(31)); // a repeated tag must not overwrite the first
    writeFile(folder / "hostile.hap", hap);
    auto out = folder / "out" / "deeper";
    auto result = runCommand(command({"doc extract", quoted(folder / "hostile.hap"), quoted(out)}));
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
        if (!entry.is_regular_file() || entry.path().filename() == "hostile.hap")
            continue;
        EXPECT_EQ(entry.path().parent_path(), out) << entry.path();
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {"ADWA_00.wav", "BGRJ_00__.._escape.jpg", "BGRJ_01__etc_passwd.jpg",
                                         "SPCW.wav", "SPCW_2.wav"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(readFile(out / "BGRJ_01__etc_passwd.jpg"), patternBytes(11));
}

TEST(DocCommands, RefusalsNameTheirMessageAndWriteNothing)
{
    testsupport::TempDir folder;
    Bytes hdp = packStart(DocumentKind::headDefinition);
    writeFile(folder / "a.hdp", hdp);
    Bytes newer = packStart(DocumentKind::headAnimation, 10);
    writeFile(folder / "new.hap", newer);
    Bytes refused = packStart(DocumentKind::headDefinition);
    putChunk(refused, "SPCW", patternBytes(4));
    writeFile(folder / "refused.hdp", refused);
    writeFile(folder / "junk.cmp", patternBytes(100));
    Bytes newerProject;
    putText(newerProject, "Quillmere Chattermask Project File");
    newerProject.push_back(0);
    putU16(newerProject, 10);
    putU32(newerProject, 0xFFF0);
    writeFile(folder / "new.cmp", newerProject);
    struct Case {
        std::string command;
        std::string message;
    };
    auto createProject = [&](const char* hdp, const char* hap) {
        return command({"cmp create", quoted(folder / "out.cmp"), "--hdp", quoted(folder / hdp), "--hap",
                        quoted(folder / hap)});
    };
    const Case cases[] = {
        {command({"doc ls", quoted(folder / "junk.cmp")}), "0xE823"},
        {createProject("new.hap", "new.hap"), "0xE823"},
        {createProject("a.hdp", "new.hap"), "0xE821"},
        {createProject("refused.hdp", "new.hap"), "0xE822"},
        {command({"doc extract", quoted(folder / "junk.cmp"), quoted(folder / "out")}), "0xE823"},
        {command({"hdp create", quoted(folder / "out.hdp"), "--mesh", quoted(folder / "missing.mesh")}),
         "not found"},
        {command({"cmt", quoted(folder / "junk.cmp"), quoted(folder / "out.cmt")}), "0xE820"},
        {command({"timeline dump", quoted(folder / "new.cmp")}), "0xE821"},
        {command({"cmt", quoted(folder / "new.cmp"), quoted(folder / "out.cmt")}), "0xE821"},
        {command({"hap create", quoted(folder / "out.hap"), "--voice", quoted(folder / "junk.cmp")}),
         "0xE829"},
    };
    for (const Case& c : cases) {
        auto result = runCommand(c.command);
        EXPECT_EQ(result.status, 2) << c.command;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.command << "\n" << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.cmp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.hdp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.cmt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.hap"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 5); // no stray files
}

TEST(DocCommands, TimelineSurvivesAHeadAnimationAndAProject)
{
    testsupport::TempDir folder;
    writeVoice(folder / "voice.wav", std::vector<int16_t>(16000, 100));
    // A background must be a picture that fits the slot: the shipped one.
    std::filesystem::copy_file(testsupport::binDir() / "Backgrounds" / "Studio.jpg", folder / "sky.jpg");
    const std::string timeline =
        R"({"visemes":[{"start":0,"end":800,"viseme":3,"weight":60,"phoneme":14,"label":"[b]","syllable":"",)"
        R"("symbol":""}],)"
        R"("expressions":[{"start":0,"end":16000,"expression":2,"intensity":40}],)"
        R"("headturns":[{"start":0,"end":8000,"a":-10,"b":20,"c":5}],)"
        R"("events":[{"time":100,"kind":0,"type":"URL","parameter":"http://x/","name":"","command":7},)"
        R"({"time":200,"kind":2,"type":"","parameter":"","name":"here"}],)"
        R"("sounds":[{"start":0,"end":4000,"clip":"bell","volume":80}]})";
    testsupport::writeTextFile(folder / "timeline.json", timeline);
    auto made = runCommand(
        command({"hap create", quoted(folder / "a.hap"), "--voice", quoted(folder / "voice.wav"),
                 "--timeline", quoted(folder / "timeline.json"), "--background",
                 "sky=" + quoted(folder / "sky.jpg"), "--clip", "bell=" + quoted(folder / "voice.wav")}));
    ASSERT_EQ(made.status, 0) << made.err;
    auto dumped = runCommand(command({"timeline dump", quoted(folder / "a.hap"), "--json"}));
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    // Every stored field comes back; the names are derived from the numbers, and the phoneme fields,
    // which no document stores, come back unknown and empty.
    const std::string expected =
        R"({"visemes":[{"start":0,"end":800,"viseme":3,"weight":60,"phoneme":255,"label":"","syllable":"",)"
        R"("symbol":"","name":"TD"}],)"
        R"("expressions":[{"start":0,"end":16000,"expression":2,"intensity":40,"name":"Sadness"}],)"
        R"("headturns":[{"start":0,"end":8000,"a":-10,"b":20,"c":5}],)"
        R"("events":[{"time":100,"kind":0,"type":"URL","parameter":"http://x/","name":"","command":7},)"
        R"({"time":200,"kind":2,"type":"","parameter":"","name":"here"}],)"
        R"("sounds":[{"start":0,"end":4000,"clip":"bell","volume":80}]})";
    EXPECT_EQ(dumped.out, expected + "\n");

    writeFile(folder / "a.hdp", packStart(DocumentKind::headDefinition));
    auto project = runCommand(command({"cmp create", quoted(folder / "p.cmp"), "--hdp",
                                       quoted(folder / "a.hdp"), "--hap", quoted(folder / "a.hap")}));
    ASSERT_EQ(project.status, 0) << project.err;
    auto fromProject = runCommand(command({"timeline dump", quoted(folder / "p.cmp"), "--json"}));
    EXPECT_EQ(fromProject.out, dumped.out);
    auto listed = runCommand(command({"doc ls", quoted(folder / "a.hap"), "--json"}));
    for (const char* expected : {R"({"tag":"BGDN","offset":)", R"("name":"sky")", R"("name":"bell")"})
        EXPECT_NE(listed.out.find(expected), std::string::npos) << expected;
}

TEST(DocCommands, StreamWritesItsMeshFromTheHeadModel)
{
    testsupport::TempDir folder;
    writeVoice(folder / "voice.wav", std::vector<int16_t>(8000, 300));
    writeFile(folder / "head.mesh", triangleMeshRecord());
    writeFile(folder / "junk.mesh", patternBytes(64));
    auto run = [&](const std::string& line) {
        auto result = runCommand(line);
        EXPECT_EQ(result.status, 0) << line << "\n" << result.err;
    };
    run(command({"hap create", quoted(folder / "a.hap"), "--voice", quoted(folder / "voice.wav")}));
    for (const char* mesh : {"head", "junk"}) {
        std::string name(mesh);
        run(command(
            {"hdp create", quoted(folder / (name + ".hdp")), "--mesh", quoted(folder / (name + ".mesh"))}));
        run(command({"cmp create", quoted(folder / (name + ".cmp")), "--hdp",
                     quoted(folder / (name + ".hdp")), "--hap", quoted(folder / "a.hap")}));
    }
    run(command({"cmt", quoted(folder / "head.cmp"), quoted(folder / "head.cmt")}));
    Bytes stream = readFile(folder / "head.cmt");
    Bytes record = triangleMeshRecord();
    ASSERT_GE(stream.size(), 20 + record.size());
    EXPECT_EQ(tagAt(stream, 12), "MESH");
    EXPECT_EQ(u32At(stream, 16), record.size());
    EXPECT_TRUE(std::equal(record.begin(), record.end(), stream.begin() + 20));

    // A mesh slot that holds no mesh record gives the stream no head: refused, nothing written.
    auto refused = runCommand(command({"cmt", quoted(folder / "junk.cmp"), quoted(folder / "junk.cmt")}));
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("0xE82F"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "junk.cmt"));
}

// Packs folder/voice.wav and folder/head.mesh into folder/p.cmp through the pack and project commands.
static void makeProject(const testsupport::TempDir& folder)
{
    ASSERT_EQ(
        runCommand(command({"hap create", quoted(folder / "a.hap"), "--voice", quoted(folder / "voice.wav")}))
            .status,
        0);
    ASSERT_EQ(
        runCommand(command({"hdp create", quoted(folder / "a.hdp"), "--mesh", quoted(folder / "head.mesh")}))
            .status,
        0);
    ASSERT_EQ(runCommand(command({"cmp create", quoted(folder / "p.cmp"), "--hdp", quoted(folder / "a.hdp"),
                                  "--hap", quoted(folder / "a.hap")}))
                  .status,
              0);
}

TEST(DocCommands, InterruptedStreamLeavesNoFile)
{
    PrivateTempFolder temp;
    testsupport::TempDir folder;
    std::vector<int16_t> voice(5 * 60 * 16000);
    for (size_t i = 0; i < voice.size(); ++i)
        voice[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
    writeVoice(folder / "voice.wav", voice);
    writeFile(folder / "head.mesh", triangleMeshRecord());
    makeProject(folder);
    if (HasFatalFailure())
        return;
    // Ctrl+C once the stream has begun beside its target: the shell waits for the hidden partial file.
    std::string script =
        command({"cmt", quoted(folder / "p.cmp"), quoted(folder / "out.cmt")}) +
        " & pid=$!; while kill -0 $pid 2>/dev/null && ! ls -A " + quoted(folder.path()) +
        " | grep -q '^[.]out[.]cmt'; do sleep 0.01; done; kill -INT $pid 2>/dev/null; wait $pid";
    auto result = runCommand("{ " + script + "; }");
    if (result.status == 0)
        GTEST_SKIP() << "the stream was finished before the interrupt arrived";
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_NE(result.err.find("0xE82F"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.cmt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 5); // nothing partial
    EXPECT_EQ(temp.fileCount(), 0u); // nor anything the load extracted
}

TEST(DocCommands, StreamSpeechDecodesWithAnIndependentDecoder)
{
    if (runCommand("ffmpeg -version").status != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    testsupport::TempDir folder;
    std::vector<int16_t> tone(3 * 16000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 300 / 16000));
    writeVoice(folder / "voice.wav", tone);
    Bytes mesh = triangleMeshRecord();
    writeFile(folder / "head.mesh", mesh);
    makeProject(folder);
    if (HasFatalFailure())
        return;
    auto made = runCommand(command({"cmt", quoted(folder / "p.cmp"), quoted(folder / "out.cmt")}));
    ASSERT_EQ(made.status, 0) << made.err;

    // The coded frames of all blocks, one after another, are a raw G.723.1 stream.
    Bytes stream = readFile(folder / "out.cmt");
    Bytes frames;
    int blocks = 0;
    for (size_t at = 0; at + 8 <= stream.size();) {
        std::string tag = tagAt(stream, at);
        uint32_t length = u32At(stream, at + 4);
        if (tag == "MESH") {
            EXPECT_TRUE(std::equal(mesh.begin(), mesh.end(), stream.begin() + static_cast<long>(at) + 8));
        }
        if (tag == "SPCG") {
            frames.insert(frames.end(), stream.begin() + static_cast<long>(at) + 12,
                          stream.begin() + static_cast<long>(at + 8 + length));
            ++blocks;
        }
        at += 8 + length;
    }
    EXPECT_EQ(blocks, 7); // 48000 samples: six full blocks and the one in which the speech ends
    writeFile(folder / "speech.bit", frames);
    std::string decode = "ffmpeg -v error -y -f g723_1 -i ";
    decode.append(quoted(folder / "speech.bit"))
        .append(" -f s16le -ar 8000 ")
        .append(quoted(folder / "speech.raw"));
    auto decoded = runCommand(decode);
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(std::filesystem::file_size(folder / "speech.raw"), 3u * 8000 * 2);
}
