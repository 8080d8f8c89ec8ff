#include "session/SessionPrompts.h"

#include <gtest/gtest.h>

namespace {
class YesToAll : public SessionPrompts {
public:
    bool confirm(unsigned) override { return true; }
    Answer askSaveChanges() override { return Answer::yes; }
    std::optional<std::string> askNewName(const std::string& taken) override { return taken + " 2"; }
};
} // namespace

TEST(SessionPrompts, AScriptedFrontEndAnswers)
{
    YesToAll prompts;
    SessionPrompts& asked = prompts;
    EXPECT_TRUE(asked.confirm(0xE828));
    EXPECT_EQ(asked.askSaveChanges(), SessionPrompts::Answer::yes);
    EXPECT_EQ(asked.askNewName("Clap").value_or(""), "Clap 2");
}
