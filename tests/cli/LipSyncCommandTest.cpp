#include "documents/ItemFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

struct JsonViseme {
    uint32_t start, end, viseme, weight;
    std::string symbol;
};

std::vector<JsonViseme> visemesOf(const std::string& json)
{
    static const std::regex item(R"re(\{"start":(\d+),"end":(\d+),"viseme":(\d+),"weight":(\d+),"phoneme":-?\d+,)re"
                                 R"re("label":"[^"]*","syllable":"[^"]*","symbol":"([^"]*)"\})re");
    std::vector<JsonViseme> out;
    for (std::sregex_iterator it(json.begin(), json.end(), item), end; it != end; ++it)
        out.push_back({static_cast<uint32_t>(std::stoul((*it)[1])), static_cast<uint32_t>(std::stoul((*it)[2])),
                       static_cast<uint32_t>(std::stoul((*it)[3])), static_cast<uint32_t>(std::stoul((*it)[4])),
                       (*it)[5]});
    return out;
}

// The command line of the tool; under the leak checker the decoder library's own leak (see
// LeakSuppressions.cpp) is suppressed in the child as it is in this process.
std::string cli()
{
    static const auto suppressions = std::filesystem::temp_directory_path() / "lipsync-cli-lsan.supp";
    testsupport::writeTextFile(suppressions, "leak:libsphinxbase.so\nleak:libpocketsphinx.so\n");
    return "LSAN_OPTIONS=suppressions=" + suppressions.string() + " " +
           (testsupport::binDir() / "chattermask-cli").string();
}

} // namespace

// A voice that is not 16 kHz mono is converted first; the printed items and the written item file agree.
TEST(LipSyncCommand, ConvertsAnalysesPrintsAndWritesTheItemFile)
{
    testsupport::TempDir dir;
    const auto spoken = dir / "spoken.wav", voice = dir / "voice.wav", items = dir / "items.vis";
    ASSERT_EQ(testsupport::runCommand("flite -voice slt -t \"Bob made a map of the lamp.\" -o " + spoken.string())
                  .status,
              0)
        << "flite is needed";
    ASSERT_EQ(testsupport::runCommand("sox " + spoken.string() + " -r 22050 -c 2 " + voice.string()).status, 0);

    const auto run = testsupport::runCommand(cli() + " lipsync " + voice.string() + " --out " + items.string() +
                                             " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.rfind("{\"visemes\":[", 0), 0u) << run.out;
    const auto printed = visemesOf(run.out);
    ASSERT_GT(printed.size(), 8u) << run.out;
    for (size_t i = 0; i < printed.size(); ++i) {
        EXPECT_LT(printed[i].start, printed[i].end) << i;
        EXPECT_LE(printed[i].viseme, 14u) << i;
        EXPECT_FALSE(printed[i].symbol.empty()) << i;
        if (i > 0) {
            EXPECT_LE(printed[i - 1].end, printed[i].start) << i;
        }
    }

    ItemTracks tracks;
    ASSERT_TRUE(readItemFile(items, tracks, ItemFileKind::visemes));
    ASSERT_EQ(tracks.visemes.size(), printed.size());
    for (size_t i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(tracks.visemes[i].start, printed[i].start) << i;
        EXPECT_EQ(tracks.visemes[i].end, printed[i].end) << i;
        EXPECT_EQ(tracks.visemes[i].viseme, printed[i].viseme) << i;
        EXPECT_EQ(static_cast<uint32_t>(tracks.visemes[i].weight), printed[i].weight) << i;
    }
}

// --words recognises the words of a voice given without text (the "th" of "the" shows it); with --text the
// text is used and --words changes nothing.
TEST(LipSyncCommand, WordsAreRecognisedOnlyWithoutText)
{
    testsupport::TempDir dir;
    const auto spoken = dir / "spoken.wav", script = dir / "spoken.txt";
    ASSERT_EQ(testsupport::runCommand("flite -voice slt -t \"Bob made a map of the lamp.\" -o " + spoken.string())
                  .status,
              0)
        << "flite is needed";
    testsupport::writeTextFile(script, "Bob made a map of the lamp.\n");
    const auto lipsync = [&](const std::string& options) {
        const auto run = testsupport::runCommand(cli() + " lipsync " + spoken.string() + " " + options);
        EXPECT_EQ(run.status, 0) << options << run.err;
        return run;
    };
    const auto hasTh = [](const std::string& json) {
        for (const auto& viseme : visemesOf(json))
            if (viseme.viseme == 3)
                return true;
        return false;
    };
    const auto words = lipsync("--words --json");
    EXPECT_TRUE(hasTh(words.out));
    EXPECT_EQ(words.err.find("words found"), std::string::npos) << "no text, no count";
    EXPECT_FALSE(hasTh(lipsync("--json").out));

    const auto text = lipsync("--text " + script.string() + " --json");
    const auto both = lipsync("--words --text " + script.string() + " --json");
    EXPECT_EQ(both.out, text.out);
    EXPECT_NE(both.err.find("text: 7 of 7 words found"), std::string::npos) << both.err;

    const auto help = lipsync("--help");
    EXPECT_NE(help.out.find("--words"), std::string::npos);
    EXPECT_NE(help.out.find("Ignored with --text"), std::string::npos);
}

TEST(LipSyncCommand, FailuresExitWithStatusTwoAndPrintNoItems)
{
    testsupport::TempDir dir;
    const auto voice = dir / "voice.wav";
    ASSERT_EQ(testsupport::runCommand("sox -n -r 16000 -c 1 -b 16 " + voice.string() + " trim 0 1").status, 0);
    testsupport::writeTextFile(dir / "text.wav", "not a wave file");
    const std::string cases[] = {
        "lipsync " + (dir / "absent.wav").string(),
        "lipsync " + (dir / "text.wav").string(),
        "lipsync " + voice.string() + " --out " + (dir / "no-folder" / "items.vis").string(),
        "lipsync",
    };
    for (const auto& arguments : cases) {
        const auto run = testsupport::runCommand(cli() + " " + arguments + " --json");
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out.find("visemes"), std::string::npos) << arguments;
    }
}
