#include "Common/TempFile.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

std::filesystem::path tempFolder()
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path(".") : folder;
}

std::filesystem::path createTempFile(const std::string& prefix, const std::filesystem::path& folder)
{
    std::filesystem::path base = folder.empty() ? tempFolder() : folder;
    std::string pattern = (base / (prefix + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
#ifdef _WIN32
    if (_mktemp_s(name.data(), name.size()) != 0)
        return {};
    std::FILE* file = std::fopen(name.data(), "wbx");
    if (!file)
        return {};
    std::fclose(file);
#else
    int descriptor = mkstemp(name.data());
    if (descriptor < 0)
        return {};
    close(descriptor);
#endif
    return std::filesystem::path(name.data());
}

std::filesystem::path ScopedTempFile::release()
{
    std::filesystem::path taken = std::move(path_);
    path_.clear();
    return taken;
}

void ScopedTempFile::remove()
{
    if (path_.empty())
        return;
    std::error_code error;
    std::filesystem::remove(path_, error);
    path_.clear();
}
