#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

// The one way a user's file is written: the whole file goes into a temporary file beside the target,
// which is renamed over the target only when complete. A failed or cancelled write leaves the old file
// as it was and no partial file behind. The new file keeps the old one's permissions, or the usual ones
// of a new document.

// `produce` writes the whole file at the staging path it is given; false or a failed rename removes it.
bool writeFileAtomically(const std::filesystem::path& target,
                         const std::function<bool(const std::filesystem::path& staging)>& produce);

// Writes `bytes` as the whole file.
bool writeBytesAtomically(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes);
