// chattermask-player's choice between its window and the headless modes where there is no display.
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using testsupport::runCommand;

std::string player()
{
    return (testsupport::binDir() / "chattermask-player").string();
}

// The command with no way to reach a display.
std::string withoutDisplay(const std::string& rest)
{
    return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + rest;
}

} // namespace

TEST(PlayerCommandLine, TheWindowWithoutADisplayIsRefusedWithAReason)
{
    testsupport::TempDir dir;
    const std::string garbage = (dir / "garbage.cmf").string();
    testsupport::writeTextFile(garbage, "no animation");
    const std::string cases[] = {
        withoutDisplay(player()),
        withoutDisplay(player() + " " + garbage),
        // A display named but not there: the toolkit would abort; the player answers first.
        "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:4711 " + player(),
        "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=nonsense " + player(),
    };
    for (const std::string& command : cases) {
        const auto result = runCommand(command);
        EXPECT_EQ(result.status, 1) << command << "\n" << result.err;
        EXPECT_NE(result.err.find("chattermask-player: no display"), std::string::npos) << command;
        EXPECT_NE(result.err.find("--frames"), std::string::npos) << "names the way without a window";
    }
}

TEST(PlayerCommandLine, HeadlessModesNeedNoDisplayAndArgumentsStayChecked)
{
    testsupport::TempDir dir;
    const std::string garbage = (dir / "garbage.cmf").string();
    testsupport::writeTextFile(garbage, "no animation");
    // A file that is no animation fails in the reader, not for want of a display.
    const auto refused =
        runCommand(withoutDisplay(player() + " " + garbage + " --frames " + (dir / "f").string()));
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_EQ(refused.err.find("no display"), std::string::npos) << refused.err;

    const std::string usage[] = {
        " --frames " + (dir / "f").string(), // no file
        " a.cmf --frames x --to y.mp4",      // both outputs
        " a.cmf --frames",                   // an option without its value
        " a.cmf b.cmf",                      // two files
        " --volume 3",                       // unknown option
    };
    for (const std::string& arguments : usage) {
        const auto result = runCommand(withoutDisplay(player() + arguments));
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.err;
    }

    const auto help = runCommand(withoutDisplay(player() + " --help"));
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: chattermask-player [FILE]"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("window"), std::string::npos);
}
