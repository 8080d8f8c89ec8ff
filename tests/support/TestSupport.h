#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// Folder of the shared fixtures (tests/data).
std::filesystem::path dataDir();
// Folder holding the built programs and the resource library.
std::filesystem::path binDir();

// A fresh empty folder, removed when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command line, capturing standard output and standard error.
CommandResult runCommand(const std::string& commandLine);

std::string readTextFile(const std::filesystem::path& path);
std::vector<unsigned char> readBinaryFile(const std::filesystem::path& path);
void writeTextFile(const std::filesystem::path& path, const std::string& text);
void writeBinaryFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

} // namespace testsupport
