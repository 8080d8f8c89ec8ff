// `chattermask-cli schedule` on the default project: what a play would queue, over the whole voice or a
// range, reproducible by its seed, and refusing ranges and numbers that make no sense.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

// Samples of the default project's voice; its picture "Studio" stands at time 0.
constexpr std::uint32_t kVoiceSamples = 179451;

testsupport::CommandResult schedule(const std::string& arguments)
{
    return testsupport::runCommand((testsupport::binDir() / "chattermask-cli").string() + " schedule " +
                                   (testsupport::binDir() / "Default" / "Male.cmx").string() + " " +
                                   arguments + " --json");
}

// Extracted pictures get a fresh temporary name on every run.
std::string withoutPaths(const std::string& json)
{
    return std::regex_replace(json, std::regex("\"path\":\"[^\"]*\""), "\"path\":\"\"");
}

std::vector<std::uint32_t> blinkStarts(const std::string& json)
{
    static const std::regex closing("\\{\"kind\":\"blink\",\"row\":1,\"intensity\":63,\"start\":(\\d+),"
                                    "\"duration\":180\\}");
    std::vector<std::uint32_t> starts;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), closing); it != std::sregex_iterator();
         ++it)
        starts.push_back(std::uint32_t(std::stoul((*it)[1])));
    return starts;
}

TEST(ScheduleCommand, PrintsWhatAPlayOfTheProjectQueues)
{
    const auto whole = schedule("--seed 7");
    ASSERT_EQ(whole.status, 0) << whole.err;
    const std::string& json = whole.out;
    // The first expression of the default project: 40 % joy over samples 8568 to 59975.
    EXPECT_EQ(json.rfind("{\"events\":[{\"kind\":\"expression\",\"row\":1,\"intensity\":25,\"start\":535,"
                         "\"duration\":3212},",
                         0),
              0u)
        << json.substr(0, 200);
    // Its first viseme, 640 samples at weight 50.
    EXPECT_NE(json.find("{\"kind\":\"viseme\",\"row\":4,\"intensity\":12,\"start\":40,\"duration\":40}"),
              std::string::npos);
    EXPECT_NE(json.find("{\"kind\":\"turn\",\"pitch\":"), std::string::npos);
    EXPECT_NE(json.find("],\"images\":[{\"time\":0,\"name\":\"Studio\",\"path\":\"/"), std::string::npos);
    EXPECT_EQ(json.substr(json.size() - 15), "],\"sounds\":[]}\n");
    EXPECT_FALSE(blinkStarts(json).empty());

    struct Case {
        const char* name;
        std::string arguments;
        bool sameAsWhole;
    };
    const Case cases[] = {
        {"the same seed again", "--seed 7", true},
        {"one sample selected plays the whole voice", "--range 1000:1001 --seed 7", true},
        {"the whole voice as a range", "--range 0:" + std::to_string(kVoiceSamples) + " --seed 7", true},
        {"another seed", "--seed 8", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto again = schedule(c.arguments);
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(withoutPaths(again.out) == withoutPaths(json), c.sameAsWhole);
    }
}

TEST(ScheduleCommand, ARangeLimitsBlinksAndPictures)
{
    // 1000 ms to 5000 ms: the picture at 0 falls before it; the face tracks are queued whole.
    const auto ranged = schedule("--range 16000:80000 --seed 3");
    ASSERT_EQ(ranged.status, 0) << ranged.err;
    EXPECT_NE(ranged.out.find("\"images\":[],\"sounds\":[]}"), std::string::npos);
    EXPECT_NE(ranged.out.find("\"start\":535,"), std::string::npos);
    const auto starts = blinkStarts(ranged.out);
    ASSERT_FALSE(starts.empty());
    std::uint32_t previous = 1000;
    for (const std::uint32_t start : starts) {
        EXPECT_GE(start, previous + 400);
        EXPECT_LE(start, previous + 2500);
        EXPECT_LT(start + 360, 5000u);
        previous = start;
    }
}

TEST(ScheduleCommand, BadRangesAndNumbersAreUsageErrors)
{
    struct Case {
        std::string arguments;
        const char* expectInError;
    };
    const Case cases[] = {
        {"--range 500:500", "TO must be after FROM"},
        {"--range 600:500", "TO must be after FROM"},
        {"--range 0:" + std::to_string(kVoiceSamples + 1), "not inside the voice"},
        {"--range 200000:300000", "not inside the voice"},
        {"--range 500", "expected FROM:TO"},
        {"--range 500:", "expected FROM:TO"},
        {"--range -5:500", "expected FROM:TO"},
        {"--range 1e3:5000", "expected FROM:TO"},
        {"--range 0:99999999999", "expected FROM:TO"},
        {"--seed soon", "bad --seed"},
        {"--seed -1", "bad --seed"},
        {"--seed 4294967296", "bad --seed"},
        {"--speed 2", "unknown option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto result = schedule(c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.expectInError), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("usage: chattermask-cli schedule"), std::string::npos);
        EXPECT_TRUE(result.out.empty());
    }
    const auto missing = testsupport::runCommand((testsupport::binDir() / "chattermask-cli").string() +
                                                 " schedule /nonexistent/project.cmp --json");
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.out.empty());
}

} // namespace
