#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace fs = std::filesystem;

static fs::path envPath(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path(fallback);
}

fs::path dataDir() { return envPath("CM_TEST_DATA", "tests/data"); }

fs::path binDir() { return envPath("CM_BIN", "."); }

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "cmtestXXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string readTextFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<unsigned char> readBinaryFile(const fs::path& path)
{
    std::string text = readTextFile(path);
    return std::vector<unsigned char>(text.begin(), text.end());
}

void writeTextFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void writeBinaryFile(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

CommandResult runCommand(const std::string& commandLine)
{
    TempDir dir;
    fs::path outFile = dir / "out";
    fs::path errFile = dir / "err";
    std::string full = commandLine + " >" + outFile.string() + " 2>" + errFile.string();
    int raw = std::system(full.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readTextFile(outFile);
    result.err = readTextFile(errFile);
    return result;
}

} // namespace testsupport
