#include "Common/AtomicFile.h"

#include "Common/TempFile.h"

#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A hidden name beside the target, so the rename never crosses a file system.
fs::path stagingFileBeside(const fs::path& target)
{
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string prefix(1, '.'); // built in steps: GCC 12 warns falsely on "." + name + "."
    prefix.append(target.filename().string());
    prefix.push_back('.');
    return createTempFile(prefix, folder);
}

// The staging file was created private; the saved file must not be.
void takeOverPermissions(const fs::path& staging, const fs::path& target)
{
    std::error_code error;
    const fs::file_status old = fs::status(target, error);
    const fs::perms wanted = fs::exists(old) ? old.permissions()
                                             : fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read;
    fs::permissions(staging, wanted, error);
}

} // namespace

bool writeFileAtomically(const fs::path& target, const std::function<bool(const fs::path& staging)>& produce)
{
    const fs::path staging = stagingFileBeside(target);
    if (staging.empty())
        return false;
    std::error_code error;
    if (!produce(staging)) {
        fs::remove(staging, error);
        return false;
    }
    takeOverPermissions(staging, target);
    fs::rename(staging, target, error);
    if (error) {
        fs::remove(staging, error);
        return false;
    }
    return true;
}

bool writeBytesAtomically(const fs::path& target, const std::vector<std::uint8_t>& bytes)
{
    return writeFileAtomically(target, [&bytes](const fs::path& staging) {
        std::ofstream out(staging, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        return bool(out);
    });
}
