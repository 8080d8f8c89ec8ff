#include "SREngine/Bopomofo.h"
#include "SREngine/RecogResources.h"

#include <gtest/gtest.h>

using sylrecog::big5FromUtf8;
using sylrecog::CRecogResources;

TEST(Bopomofo, Utf8TextConvertsOnlyWhenWhollyBopomofo)
{
    EXPECT_EQ(big5FromUtf8("ㄅㄚ"), std::string("\xA3\x74\xA3\xAB"));
    EXPECT_EQ(big5FromUtf8(""), std::string());
    const char* bad[] = {"a", "ㄅx", "\xE3\x84", "\xE3", "\xFF\xFF", "\xE3\x41\x85"};
    for (const char* text : bad)
        EXPECT_FALSE(big5FromUtf8(text)) << text;
}

TEST(RecogResources, ParsesOptionsRetryCollapseAndPhones)
{
    CRecogResources res;
    ASSERT_TRUE(res.parse("model -hmm en-us   # beside the file\n"
                          "model -allphone /abs/phone.lm\n"
                          "option -beam 1e-20\noption -lw 2.0\n"
                          "retry -beam 1e-60\n"
                          "collapse 250\nshift 2\n"
                          "phone B ㄅ\nphone P ㄆ\nphone AY ㄚㄧ\nphone V ㄅ\nphone SIL -\n",
                          "/models"))
        << res.error();
    const sylrecog::OptionList expected{
        {"-hmm", "/models/en-us"}, {"-allphone", "/abs/phone.lm"}, {"-beam", "1e-20"}, {"-lw", "2.0"}};
    EXPECT_EQ(res.options(), expected);
    const sylrecog::OptionList retried{
        {"-hmm", "/models/en-us"}, {"-allphone", "/abs/phone.lm"}, {"-beam", "1e-60"}, {"-lw", "2.0"}};
    EXPECT_EQ(res.retryOptions(), retried);
    EXPECT_EQ(res.collapseFrames(), 250);
    EXPECT_EQ(res.shiftFrames(), 2);
    EXPECT_EQ(res.textOfPhone("AY"), std::string("\xA3\xAB\xA3\xB8"));
    EXPECT_EQ(res.textOfPhone("SIL"), "");
    EXPECT_EQ(res.textOfPhone("ZZ"), "");
    EXPECT_EQ(res.texts().size(), 3u); // B and V share a text
}

TEST(RecogResources, AlignmentAndWordOptionsDictionaryAndPauseCuts)
{
    CRecogResources res;
    ASSERT_TRUE(
        res.parse("model -hmm en-us\nmodel -allphone phone.lm\noption -allphone_ci yes\noption -beam 1e-20\n"
                  "align -dict /dev/null\nalign -beam 1e-10\nalignretry -beam 1e-40\n"
                  "dictionary words.dict\ntrim 50 15 45\nphone B ㄅ\n",
                  "/models"))
        << res.error();
    const sylrecog::OptionList aligned{{"-hmm", "/models/en-us"}, {"-beam", "1e-10"}, {"-dict", "/dev/null"}};
    EXPECT_EQ(res.alignOptions(), aligned);
    const sylrecog::OptionList wider{{"-hmm", "/models/en-us"}, {"-beam", "1e-40"}, {"-dict", "/dev/null"}};
    EXPECT_EQ(res.alignRetryOptions(), wider);
    EXPECT_EQ(res.dictionary(), "/models/words.dict");
    EXPECT_EQ(res.trimPauseFrames(), 50);
    EXPECT_EQ(res.trimKeepFrames(), 15);
    EXPECT_EQ(res.trimRangeDb(), 45);
    EXPECT_TRUE(res.wordOptions().empty()) << "no word lines: no word search";

    // The word search: the alignment options with the real dictionary, its model beside the resource.
    CRecogResources words;
    ASSERT_TRUE(words.parse("model -hmm en-us\nmodel -allphone phone.lm\nalign -dict /dev/null\n"
                            "dictionary words.dict\nwords -lm words.lm\nwords -bestpath no\nphone B ㄅ\n",
                            "/models"))
        << words.error();
    const sylrecog::OptionList search{{"-hmm", "/models/en-us"},
                                      {"-dict", "/models/words.dict"},
                                      {"-lm", "/models/words.lm"},
                                      {"-bestpath", "no"}};
    EXPECT_EQ(words.wordOptions(), search);
    EXPECT_EQ(words.vocabularySize(), 0) << "no vocabulary line: the whole dictionary";
    EXPECT_EQ(words.heardAlignOptions(), words.alignOptions());

    // Heard words are aligned with their own lines over the alignment's; a text's alignment keeps its own.
    CRecogResources heard;
    ASSERT_TRUE(heard.parse("model -hmm en-us\nalign -topn 8\nwordalign -topn 4\nwordalign -ds 2\n"
                            "vocabulary 20000\nphone B ㄅ\n",
                            "/models"))
        << heard.error();
    const sylrecog::OptionList heardOptions{{"-hmm", "/models/en-us"}, {"-topn", "4"}, {"-ds", "2"}};
    EXPECT_EQ(heard.heardAlignOptions(), heardOptions);
    const sylrecog::OptionList textOptions{{"-hmm", "/models/en-us"}, {"-topn", "8"}};
    EXPECT_EQ(heard.alignOptions(), textOptions);
    EXPECT_EQ(heard.vocabularySize(), 20000);

    for (const char* bad :
         {"trim 50 25 45\n", "trim 50 15\n", "trim 50 15 45 9\n", "trim -1 0 45\n", "dictionary a b\n",
          "align beam 1\n", "alignretry -beam\n", "words -lm\n", "words lm x\n", "vocabulary 0\n",
          "vocabulary -5\n", "vocabulary many\n", "vocabulary 10 20\n", "wordalign ds 2\n", "wordalign -ds\n"}) {
        CRecogResources broken;
        EXPECT_FALSE(broken.parse(std::string(bad) + "phone B ㄅ\n", "/models")) << bad;
    }
    CRecogResources off;
    ASSERT_TRUE(off.parse("trim 0 0 45\nphone B ㄅ\n", "/m"));
    EXPECT_EQ(off.trimPauseFrames(), 0);
}

TEST(RecogResources, RejectsBadLinesNamingTheLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"phone B ㄅ\nbogus x y\n", "line 2"},
        {"phone B b\n", "line 1"},
        {"phone B ㄅㄅㄅㄅㄅㄅㄅ\n", "line 1"},
        {"phone B ㄅ\ncollapse 0\n", "line 2"},
        {"phone B ㄅ\ncollapse 12x\n", "line 2"},
        {"phone B ㄅ\nshift -1\n", "line 2"},
        {"phone B ㄅ\nshift 11\n", "line 2"},
        {"option beam 1\n", "line 1"},
        {"option -beam\n", "line 1"},
        {"phone\n", "line 1"},
        {"option -beam 1\n", "no phone table"},
    };
    for (const auto& c : cases) {
        CRecogResources res;
        EXPECT_FALSE(res.parse(c.text, "")) << c.text;
        EXPECT_NE(res.error().find(c.error), std::string::npos) << res.error();
    }
}

TEST(RecogResources, InstalledResourceCoversEveryPhoneOfTheModel)
{
    CRecogResources res;
    ASSERT_TRUE(res.load("SylRecog.res")) << res.error();
    const char* phones[] = {"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D", "DH", "EH", "ER", "EY",
                            "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M", "N",  "NG", "OW", "OY",
                            "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V", "W",  "Y",  "Z",  "ZH"};
    for (const char* phone : phones)
        EXPECT_EQ(res.textOfPhone(phone).size(), 2u) << phone;
    EXPECT_EQ(res.textOfPhone("SIL"), "");
}
