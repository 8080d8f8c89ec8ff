#include "SREngine/RecogResources.h"
#include "SREngine/WordDecoder.h"
#include "SREngine/WordVocabulary.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using sylrecog::CRecogResources;
using sylrecog::writeLikeliestWords;

std::string installedLanguageModel()
{
    CRecogResources res;
    EXPECT_TRUE(res.load((testsupport::binDir() / "SylRecog.res").string())) << res.error();
    for (const auto& [name, value] : res.wordOptions())
        if (name == "-lm")
            return value;
    return {};
}

// "the" is far likelier than "aardvark", which is likelier than nothing at all: a word the language
// model lacks. Every pronunciation of a kept word stays, in the dictionary's order.
TEST(WordVocabulary, KeepsTheLikeliestWordsWithAllTheirPronunciations)
{
    testsupport::TempDir dir;
    const std::string lm = installedLanguageModel();
    ASSERT_FALSE(lm.empty());
    const auto dictionary = dir / "words.dict";
    testsupport::writeTextFile(dictionary, "aardvark AA R D V AA R K\n"
                                           "the DH AH\n"
                                           "the(2) DH IY\n"
                                           "zqxjvword Z K\n"
                                           "\n"
                                           "house HH AW S\n");
    const auto two = dir / "two.dict";
    ASSERT_TRUE(writeLikeliestWords(lm, dictionary.string(), 2, two.string()));
    EXPECT_EQ(testsupport::readTextFile(two), "the DH AH\nthe(2) DH IY\nhouse HH AW S\n");

    const auto all = dir / "all.dict";
    ASSERT_TRUE(writeLikeliestWords(lm, dictionary.string(), 100, all.string()));
    EXPECT_EQ(testsupport::readTextFile(all),
              "aardvark AA R D V AA R K\nthe DH AH\nthe(2) DH IY\nhouse HH AW S\n")
        << "the word the model lacks is never kept";
}

// Nothing to rank or nowhere to write: false, and no file is left behind.
TEST(WordVocabulary, FailsWithoutLeavingAFile)
{
    testsupport::TempDir dir;
    const std::string lm = installedLanguageModel();
    const auto dictionary = dir / "words.dict";
    testsupport::writeTextFile(dictionary, "the DH AH\n");
    const auto out = dir / "out.dict";
    EXPECT_FALSE(writeLikeliestWords(lm, dictionary.string(), 0, out.string()));
    EXPECT_FALSE(writeLikeliestWords(lm, (dir / "missing.dict").string(), 10, out.string()));
    EXPECT_FALSE(writeLikeliestWords((dir / "missing.lm").string(), dictionary.string(), 10, out.string()));
    testsupport::writeTextFile(dir / "unknown.dict", "zqxjvword Z K\n");
    EXPECT_FALSE(writeLikeliestWords(lm, (dir / "unknown.dict").string(), 10, out.string()));
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(writeLikeliestWords(lm, dictionary.string(), 10, (dir / "no" / "such.dict").string()));
}

// The installed resource's word search runs over the smaller vocabulary.
TEST(WordVocabulary, InstalledWordSearchRunsOverTheSmallerVocabulary)
{
    CRecogResources res;
    ASSERT_TRUE(res.load((testsupport::binDir() / "SylRecog.res").string())) << res.error();
    ASSERT_GT(res.vocabularySize(), 0);
    sylrecog::CWordDecoder decoder;
    ASSERT_TRUE(decoder.open(res));
    EXPECT_TRUE(decoder.vocabularyReduced());
    const std::vector<int16_t> silence(16000, 0);
    EXPECT_EQ(decoder.decode(silence.data(), silence.size()), "");
}

} // namespace
