// chattermask-cli lipsync with a text and in each output format, the output read back by independent
// parsers: Python's json module for the JSON forms, splitting for the line forms.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string cli()
{
    static const auto suppressions = std::filesystem::temp_directory_path() / "lipsync-cli-lsan.supp";
    testsupport::writeTextFile(suppressions, "leak:libsphinxbase.so\nleak:libpocketsphinx.so\n");
    return "LSAN_OPTIONS=suppressions=" + suppressions.string() + " " +
           (testsupport::binDir() / "chattermask-cli").string();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> fieldsOf(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, separator))
        fields.push_back(field);
    return fields;
}

class LipSyncCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto raw = dir_ / "raw.wav";
        ASSERT_EQ(testsupport::runCommand(
                      "flite -voice slt -t \"Bob made a map of the lamp, on May 3rd.\" -o " + raw.string())
                      .status,
                  0)
            << "flite is needed";
        ASSERT_EQ(testsupport::runCommand("sox " + raw.string() + " -r 16000 -c 1 -b 16 " + voice().string())
                      .status,
                  0);
    }

    std::filesystem::path voice() const { return dir_ / "voice.wav"; }
    std::filesystem::path text(const std::string& name, const std::string& content) const
    {
        testsupport::writeTextFile(dir_ / name, content);
        return dir_ / name;
    }
    testsupport::CommandResult lipsync(const std::string& arguments) const
    {
        return testsupport::runCommand(cli() + " lipsync " + voice().string() + " " + arguments);
    }
    // Runs python3 on the standard output of a run; its printed result.
    testsupport::CommandResult python(const std::string& program, const std::string& input) const
    {
        const auto file = dir_ / "output.txt";
        testsupport::writeTextFile(file, input);
        return testsupport::runCommand("python3 -c '" + program + "' < " + file.string());
    }

    testsupport::TempDir dir_;
};

} // namespace

TEST_F(LipSyncCli, TextsWithPunctuationNumbersUnknownWordsOrNoMatchAllSucceed)
{
    const struct {
        const char* name;
        const char* content;
        const char* words; // expected "found of total" line, or nullptr for no text
    } cases[] = {
        {"same.txt", "Bob made a MAP of the lamp -- on May 3rd!\n", "10 of 10"},
        {"unknown.txt", "Bob made a zorblax of the lamp, on May 3rd.", " of 10 words"},
        {"other.txt", "Seven purple elephants danced quietly in Norway yesterday.", " of 8 words"},
        {"empty.txt", "", nullptr},
        {"blank.txt", " \n\r\n\t", nullptr},
    };
    for (const auto& c : cases) {
        const auto run = lipsync("--text " + text(c.name, c.content).string() + " --format tsv");
        ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_GT(linesOf(run.out).size(), 8u) << c.name;
        if (c.words)
            EXPECT_NE(run.err.find(c.words), std::string::npos) << c.name << ": " << run.err;
        else
            EXPECT_EQ(run.err.find("words found"), std::string::npos) << c.name << ": " << run.err;
    }
    const auto missing = lipsync("--text " + (dir_ / "absent.txt").string());
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("absent.txt"), std::string::npos);
}

TEST_F(LipSyncCli, EveryFormatReadsBack)
{
    const auto script = text("script.txt", "Bob made a map of the lamp, on May 3rd.");
    const auto json = lipsync("--text " + script.string() + " --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto legacy = lipsync("--text " + script.string() + " --json");
    ASSERT_EQ(legacy.status, 0) << legacy.err;
    EXPECT_EQ(json.out, legacy.out);
    const auto items =
        python("import json,sys; v=json.load(sys.stdin)[\"visemes\"]; "
               "assert all(a[\"end\"]<=b[\"start\"] for a,b in zip(v,v[1:])); "
               "assert all(0<=x[\"viseme\"]<=14 and x[\"start\"]<x[\"end\"] for x in v); print(len(v))",
               json.out);
    ASSERT_EQ(items.status, 0) << items.err;
    const int count = std::stoi(items.out);
    EXPECT_GT(count, 8);

    const auto tsv = lipsync("--text " + script.string() + " --format tsv");
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    const auto rows = linesOf(tsv.out);
    EXPECT_EQ(static_cast<int>(rows.size()), count);
    double lastEnd = 0;
    for (const auto& row : rows) {
        const auto fields = fieldsOf(row, '\t');
        ASSERT_EQ(fields.size(), 4u) << row;
        const double start = std::stod(fields[0]), end = std::stod(fields[1]);
        EXPECT_LT(start, end) << row;
        EXPECT_GE(start, lastEnd - 1e-9) << row;
        EXPECT_LE(std::stoi(fields[2]), 14) << row;
        EXPECT_FALSE(fields[3].empty()) << row;
        lastEnd = end;
    }

    const auto moho = lipsync("--text " + script.string() + " --format moho");
    ASSERT_EQ(moho.status, 0) << moho.err;
    const auto keys = linesOf(moho.out);
    ASSERT_GT(keys.size(), 4u);
    EXPECT_EQ(keys[0], "MohoSwitch1");
    const std::string mouths = " AI E O U etc L WQ MBP FV rest ";
    int lastFrame = 0;
    for (size_t i = 1; i < keys.size(); ++i) {
        const auto fields = fieldsOf(keys[i], ' ');
        ASSERT_EQ(fields.size(), 2u) << keys[i];
        EXPECT_GT(std::stoi(fields[0]), lastFrame) << keys[i];
        EXPECT_NE(mouths.find(" " + fields[1] + " "), std::string::npos) << keys[i];
        lastFrame = std::stoi(fields[0]);
    }
    EXPECT_EQ(keys.back().substr(keys.back().find(' ')), " rest");

    const auto cues = lipsync("--text " + script.string() + " --format rhubarb-json");
    ASSERT_EQ(cues.status, 0) << cues.err;
    const auto checked =
        python("import json,sys; d=json.load(sys.stdin); c=d[\"mouthCues\"]; m=d[\"metadata\"]; "
               "assert m[\"soundFile\"].endswith(\"voice.wav\"); assert c[0][\"start\"]==0; "
               "assert abs(c[-1][\"end\"]-m[\"duration\"])<1e-9; "
               "assert all(abs(a[\"end\"]-b[\"start\"])<1e-9 and a[\"value\"]!=b[\"value\"] for a,b in "
               "zip(c,c[1:])); "
               "assert set(x[\"value\"] for x in c) <= set(\"ABCDEFGHX\"); print(len(c))",
               cues.out);
    ASSERT_EQ(checked.status, 0) << checked.err << cues.out;
    EXPECT_GT(std::stoi(checked.out), 4);

    for (const char* bad : {"--format xml", "--format tsv --json"}) {
        const auto run = lipsync(bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_TRUE(run.out.empty()) << bad;
    }
    const auto help = testsupport::runCommand(cli() + " lipsync --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("MBP"), std::string::npos);
    EXPECT_NE(help.out.find("rhubarb-json"), std::string::npos);
}
