#include "lipsync/LetterToSound.h"
#include "lipsync/PronouncingDictionary.h"
#include "lipsync/ScriptText.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const auto& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

} // namespace

TEST(ScriptText, PunctuationCaseAndNumbersBecomeDictionaryWords)
{
    const struct {
        const char* text;
        const char* words;
    } cases[] = {
        {"Hello, World!  It's \"fine\"...", "hello world it's fine"},
        {"'quoted' rock-'n'-roll", "quoted rock n roll"},
        {"42 and 7", "forty two and seven"},
        {"100 1,000 2,500,017", "one hundred one thousand two million five hundred thousand seventeen"},
        {"3.5% of 1,5", "three point five percent of one five"},
        {"the 1st, 2nd, 3rd, 4th and 21st", "the first second third fourth and twenty first"},
        {"In 1984 and 1905, not 1900 or 2000",
         "in nineteen eighty four and nineteen oh five not one thousand nine "
         "hundred or two thousand"},
        {"Tom & Jerry + 1", "tom and jerry plus one"},
        {"Café NAÏVE", "cafe naive"},
        {"the 20th and 90th", "the twentieth and ninetieth"},
        {"", ""},
        {" ... !? -- ", ""},
        {"1234567890123456", "one two three four five six seven eight nine zero one two three four five six"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(joined(scriptWords(c.text)), c.words) << c.text;
    EXPECT_EQ(joined(numberWords(0)), "zero");
    EXPECT_EQ(joined(numberWords(999999999999ULL)).substr(0, 32), "nine hundred ninety nine billion");
}

TEST(ScriptText, UnknownWordsAreGuessedFromTheirLettersAndTheDictionaryWinsWhereItKnows)
{
    const std::set<std::string> modelPhones{"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH",
                                            "EH", "ER", "EY", "F",  "G",  "HH", "IH", "IY", "JH", "K",
                                            "L",  "M",  "N",  "NG", "OW", "OY", "P",  "R",  "S",  "SH",
                                            "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
    for (const char* word : {"zorblax", "quixotically", "thwomp", "ghyll", "x", "o'brien", "cyberphonic"}) {
        const auto phones = guessPhones(word);
        ASSERT_FALSE(phones.empty()) << word;
        for (const auto& phone : phones)
            EXPECT_TRUE(modelPhones.count(phone)) << word << ": " << phone;
    }
    EXPECT_EQ(joined(guessPhones("make")), "M EY K");
    EXPECT_EQ(joined(guessPhones("ship")), "SH IH P");
    EXPECT_EQ(joined(guessPhones("city")), "S IH T IY");
    EXPECT_TRUE(guessPhones("").empty());
    EXPECT_TRUE(guessPhones("'").empty());

    testsupport::TempDir dir;
    testsupport::writeTextFile(dir / "words.dict",
                               "read R IY1 D\nread(2) R EH1 D\nred R EH D\nzebra Z IY B R AH\n"
                               "reader R IY D ER\nbadline\n");
    CPronouncingDictionary dictionary;
    ASSERT_TRUE(dictionary.load((dir / "words.dict").string(), {"read", "zebra", "blorp"}));
    const auto read = dictionary.pronounce("read");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(joined(read[0]), "R IY D"); // stress digits dropped
    EXPECT_EQ(joined(read[1]), "R EH D");
    EXPECT_TRUE(dictionary.knows("zebra"));
    EXPECT_FALSE(dictionary.knows("red")); // not asked for, not kept
    EXPECT_FALSE(dictionary.knows("blorp"));
    ASSERT_EQ(dictionary.pronounce("blorp").size(), 1u);
    EXPECT_EQ(joined(dictionary.pronounce("blorp")[0]), "B L AO R P");
    EXPECT_FALSE(CPronouncingDictionary().load((dir / "absent.dict").string(), {"read"}));
}
