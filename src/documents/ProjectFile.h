#pragma once

#include "documents/ByteSource.h"
#include "documents/DocumentStatus.h"
#include "documents/ProjectStore.h"

#include <filesystem>
#include <string>

// The project file: a wrapper carrying the project property file and both packs whole as sections.

// Parts of a project to load.
constexpr unsigned kLoadProjectProperties = 1;
constexpr unsigned kLoadHeadDefinition = 2;
constexpr unsigned kLoadHeadAnimation = 4;
constexpr unsigned kLoadAll = 7;

// Saves the store as a project at `path`, which becomes the store's project path. The project is
// assembled beside the target under a temporary name and moved over it only when complete, so a
// failed save leaves the previous file as it was.
bool saveProject(ProjectStore& store, const std::filesystem::path& path, DocumentStatus& status);

// Loads the parts of a project named by `mask`. On any failure the whole store is reset.
bool loadProject(ProjectStore& store, const std::filesystem::path& path, unsigned mask,
                 DocumentStatus& status);
bool loadProject(ProjectStore& store, ByteSource& in, const std::string& path, unsigned mask,
                 DocumentStatus& status);

// Writes and reads the project property file (records 0 and 1 only).
bool writeProjectPropertyFile(ProjectStore& store, const std::filesystem::path& path, DocumentStatus& status);
bool readProjectPropertyFile(ProjectStore& store, const std::filesystem::path& path);
