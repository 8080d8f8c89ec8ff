#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height 32-bit pixels (bytes blue, green, red, alpha) as an RGBA PNG. Rows are taken
// bottom row first when `bottomUp` is set, as the software renderer stores them. The file is
// written beside the target and renamed over it only when complete. Returns false on any failure.
bool writePngBgra(const std::string& path, const uint32_t* pixels, int width, int height, bool bottomUp);
// The same as an RGB PNG, for rendered frames: their fourth byte is whatever the last texel carried,
// not coverage, and written as alpha it would make parts of the picture see-through.
bool writePngOpaque(const std::string& path, const uint32_t* pixels, int width, int height, bool bottomUp);

// Reads any PNG into 32-bit pixels (bytes blue, green, red, alpha), rows top to bottom.
bool readPngBgra(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height);
