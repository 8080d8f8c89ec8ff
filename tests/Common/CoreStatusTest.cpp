#include "Common/CoreStatus.h"

#include <gtest/gtest.h>

TEST(CoreStatus, MessagesTakeTheirArgumentsInOrder)
{
    struct Case {
        std::string pattern;
        std::vector<CoreStatus::Argument> arguments;
        std::string expected;
    };
    const Case cases[] = {
        {"The file %s is not a project.", {std::string("/home/me/a.cmp")}, "The file /home/me/a.cmp is not a project."},
        {"Version %d is newer than %d.", {10LL, 9LL}, "Version 10 is newer than 9."},
        {"Size must be %u x %u (%ld%%).", {256LL, 256LL, 100LL}, "Size must be 256 x 256 (100%)."},
        {"%-4d|%04X|%.2s", {7LL, 255LL, std::string("abc")}, "7   |00FF|ab"},
        {"Missing %d and %s.", {1LL}, "Missing 1 and %s."},
        {"Kinds mixed: %d %s", {std::string("12"), 3LL}, "Kinds mixed: 12 3"},
        {"Trailing %", {}, "Trailing %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatMessage(c.pattern, c.arguments), c.expected) << c.pattern;
}

TEST(CoreStatus, TheFirstFailureIsKept)
{
    CoreStatus status;
    EXPECT_FALSE(status.failed());
    status.setFileError(CoreStatus::FileError::notFound, "a.wav");
    status.setMessage(0xE829);
    EXPECT_TRUE(status.failed());
    EXPECT_EQ(status.messageId, 0u);
    EXPECT_EQ(fileErrorText(status.fileError, status.path), "a.wav was not found.");
    status.clear();
    status.setMessage(0xE81F, {256LL, 256LL}, "face.jpg");
    status.setMessage(0xE81E, {std::string("other.jpg")});
    EXPECT_EQ(status.messageId, 0xE81Fu);
    EXPECT_EQ(status.path, "face.jpg");
}
