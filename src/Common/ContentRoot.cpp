#include "Common/ContentRoot.h"

#include "Common/ResourceLibrary.h"

namespace fs = std::filesystem;

fs::path findContentRoot(const fs::path& programFolder, const fs::path& currentDirectory)
{
    for (const char* folder : {"Default", "Models", "Teeth", "Expressions"}) {
        std::error_code error;
        if (!fs::is_directory(programFolder / folder, error))
            return currentDirectory;
    }
    return programFolder;
}

const fs::path& contentRoot()
{
    static const fs::path root = findContentRoot(programFolder(), fs::current_path());
    return root;
}
