#include "Common/CommandLineInfo.h"
#include "Common/ContentRoot.h"
#include "Common/Cpuosid.h"
#include "Common/ResourceLibrary.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <map>

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
        // An absolute path is a file, not an unknown flag; "/temp" itself is still the flag.
        {{"/home/me/talk.cmp", "/temp"}, 0, 0, 0, 0, 1, "/home/me/talk.cmp"},
        {{"/TEMP", "/hap", "/tmp/a.hap"}, 2, 0, 0, 0, 1, "/tmp/a.hap"},
        {{"/gen/x.cmp"}, 0, 0, 0, 0, 0, "/gen/x.cmp"},
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
    auto result =
        testsupport::runCommand((dir / "chattermask-cli").string() + " demo " + (dir / "out").string());
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("The file [libcmrt.so] is missing.\nPlease reinstall Chattermask."),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "out"));
}

namespace {

std::vector<unsigned> requiredStringIds()
{
    std::vector<unsigned> ids;
    auto range = [&ids](unsigned from, unsigned to) {
        for (unsigned id = from; id <= to; ++id)
            ids.push_back(id);
    };
    range(0xE81E, 0xE82F);
    range(59476, 59480);
    range(59494, 59516);
    range(59538, 59544);
    range(30001, 30006);
    range(10000, 10009);
    for (unsigned id : {0xE849u, 0xE864u, 0xE865u, 59414u, 59429u, 59438u, 59490u, 59491u, 59533u, 59550u,
                        136u, 137u, 129u, 20000u, 20001u, 25024u, 59549u})
        ids.push_back(id);
    return ids;
}

// The printf conversions of a text, in order ("sdd" for "%s ... %d ... %d").
std::string conversions(const std::string& text)
{
    std::string kinds;
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2))
        if (at + 1 < text.size())
            kinds += text[at + 1];
    return kinds;
}

} // namespace

TEST(ResourceLibrary, EveryMessageNumberHasTextWithTheArgumentsItsCallerPasses)
{
    ResourceLibrary library;
    ASSERT_TRUE(library.load(testsupport::binDir()));
    for (unsigned id : requiredStringIds()) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(library.text(id).value_or("").empty());
    }
    const std::pair<unsigned, const char*> formats[] = {
        {0xE81E, "s"}, {0xE81F, "dd"}, {0xE820, "s"}, {0xE821, "dd"},
        {0xE823, "s"}, {0xE826, "s"},  {0xE822, ""},  {0xE849, ""},
    };
    for (const auto& [id, kinds] : formats)
        EXPECT_EQ(conversions(library.text(id).value_or("")), kinds) << id;
    EXPECT_EQ(library.format(0xE81F, 256, 256), "The picture must be exactly 256 x 256 pixels.");
}

TEST(ResourceLibrary, NoStringNumberIsListedTwice)
{
    // A second entry of a number is never found: the lookup takes the first.
    void* handle = dlopen((testsupport::binDir() / "libcmrt.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using Count = unsigned (*)();
    using IdAt = unsigned (*)(unsigned);
    const auto count = reinterpret_cast<Count>(dlsym(handle, "cmrtStringCount"));
    const auto idAt = reinterpret_cast<IdAt>(dlsym(handle, "cmrtStringIdAt"));
    ASSERT_TRUE(count && idAt);
    std::map<unsigned, int> seen;
    for (unsigned i = 0; i < count(); ++i)
        ++seen[idAt(i)];
    for (const auto& [id, times] : seen)
        EXPECT_EQ(times, 1) << "string " << id;
    dlclose(handle);
}
