#pragma once

#include "documents/ByteSource.h"
#include "documents/DocumentListing.h"
#include "documents/DocumentStatus.h"

#include <filesystem>
#include <string>
#include <vector>

// Writes every file embedded in a listed document into `folder` (created when missing) under readable
// names made only of safe characters, so nothing is ever written outside `folder`. Sections of a
// project are written whole and their contents again into a subfolder each. `written` receives the
// paths in the order written.
bool extractDocument(ByteSource& in, const DocumentListing& listing, const std::filesystem::path& folder,
                     std::vector<std::filesystem::path>& written, DocumentStatus& status);

// A name read from a file turned into a safe file-name part: letters, digits, '-', '_' and inner dots
// kept, everything else '_', no leading dots, at most 64 characters; empty when nothing is left.
std::string safeFileNamePart(const std::string& name);
