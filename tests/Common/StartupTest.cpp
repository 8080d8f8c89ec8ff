#include "CommandLineInfo.h"
#include "ContentRoot.h"
#include "Cpuosid.h"
#include "ResourceLibrary.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::TempDir;

TEST(CommandLine, FlagsChooseEditorProcessorAndFile)
{
    struct Case {
        std::vector<std::string> parameters;
        int mode, path, given, untitled, temp;
        std::string file;
    };
    const Case cases[] = {
        {{}, 0, 0, 0, 0, 0, ""},
        {{"/HDP"}, 1, 0, 0, 0, 0, ""},
        {{"-hap", "-default", "x.hap"}, 2, 0, 0, 1, 0, "x.hap"},
        {{"-p3", "/P4"}, 0, 2, 1, 0, 0, ""},
        {{"-p4", "-gen"}, 0, 0, 1, 0, 0, ""},
        {{"a.cmp", "b.cmp", "-temp"}, 0, 0, 0, 0, 1, "a.cmp"},
        {{"-unknown", "-cmp", "p4"}, 0, 0, 0, 0, 0, "p4"},
    };
    for (const Case& c : cases) {
        CommandLineInfo info = CommandLineInfo::parse(c.parameters);
        SCOPED_TRACE(c.file);
        EXPECT_EQ(info.editorMode, c.mode);
        EXPECT_EQ(info.processorPath, c.path);
        EXPECT_EQ(info.processorPathGiven, c.given);
        EXPECT_EQ(info.openAsUntitled, c.untitled);
        EXPECT_EQ(info.deleteFileOnExit, c.temp);
        EXPECT_EQ(info.fileName, c.file);
    }
}

TEST(CommandLine, TitleAndProcessorChoice)
{
    EXPECT_EQ(CommandLineInfo::parse({"-hdp"}).applicationTitle(), "Chattermask Studio (HDP Editor)");
    EXPECT_EQ(CommandLineInfo::parse({}).applicationTitle(), "Chattermask Studio (CMP Editor)");
    EXPECT_EQ(chooseProcessorPath(CommandLineInfo::parse({"-gen"})), kProcessorGeneric);
    // Every x86-64 processor has SSE2, so detection picks that path there.
#if defined(__x86_64__)
    EXPECT_EQ(chooseProcessorPath(CommandLineInfo::parse({})), kProcessorSse2);
#endif
}

TEST(ContentRoot, ProgramFolderNeedsAllFourContentFolders)
{
    TempDir program;
    TempDir current;
    for (const char* folder : {"Default", "Models", "Teeth"})
        fs::create_directory(program / folder);
    EXPECT_EQ(findContentRoot(program.path(), current.path()), current.path());
    fs::create_directory(program / "Expressions");
    EXPECT_EQ(findContentRoot(program.path(), current.path()), program.path());
}

TEST(ResourceLibrary, LoadsStringsAndFormatsThem)
{
    ResourceLibrary library;
    ASSERT_TRUE(library.load(testsupport::binDir()));
    EXPECT_EQ(library.text(59539).value_or(""), "Joy");
    EXPECT_FALSE(library.text(1).has_value());
    EXPECT_EQ(library.format(1), "String 1");
}

TEST(ResourceLibrary, MissingLibraryEndsTheProgramWithItsMessage)
{
    TempDir dir;
    fs::copy_file(testsupport::binDir() / "chattermask-cli", dir / "chattermask-cli");
    fs::permissions(dir / "chattermask-cli", fs::perms::owner_all);
    auto result = testsupport::runCommand((dir / "chattermask-cli").string() + " demo " + (dir / "out").string());
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("The file [libcmrt.so] is missing.\nPlease reinstall Chattermask."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "out"));
}
