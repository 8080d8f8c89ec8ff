#include "DocTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

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
    };
    for (const Case& c : cases) {
        auto result = runCommand(c.command);
        EXPECT_EQ(result.status, 2) << c.command;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.command << "\n" << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.cmp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.hdp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out"));
}

TEST(DocCommands, TimelineSurvivesAHeadAnimationAndAProject)
{
    testsupport::TempDir folder;
    writeVoice(folder / "voice.wav", std::vector<int16_t>(16000, 100));
    writeFile(folder / "sky.jpg", patternBytes(30));
    const std::string timeline =
        R"({"visemes":[{"start":0,"end":800,"viseme":3,"weight":60,"phoneme":0,"label":"","syllable":"","symbol":""}],)"
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
    EXPECT_EQ(dumped.out, timeline + "\n");

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

TEST(DocCommands, StreamSpeechDecodesWithAnIndependentDecoder)
{
    if (runCommand("ffmpeg -version").status != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    testsupport::TempDir folder;
    std::vector<int16_t> tone(3 * 16000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 300 / 16000));
    writeVoice(folder / "voice.wav", tone);
    Bytes mesh = patternBytes(64);
    writeFile(folder / "head.mesh", mesh);
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
