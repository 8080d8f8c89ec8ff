#pragma once

#include <filesystem>

// The folder that holds the shipped content: the program's folder when it has all of "Default",
// "Models", "Teeth" and "Expressions", otherwise the current directory.
std::filesystem::path findContentRoot(const std::filesystem::path& programFolder,
                                      const std::filesystem::path& currentDirectory);

// The content root of this run, found once from the running program's folder.
const std::filesystem::path& contentRoot();
