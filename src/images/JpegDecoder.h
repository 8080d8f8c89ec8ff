#pragma once

#include <cstddef>
#include <cstdint>

// Where the compressed bytes come from: a file path, or a block of memory (not copied).
struct JpegSource {
    const char* path = nullptr;
    const uint8_t* data = nullptr;
    size_t length = 0;
};

// What one decode produced. `pixels` holds width x height pixels of three bytes (blue, green, red),
// rows top to bottom, each `rowBytes` long; it is allocated with malloc and owned by the caller.
struct DecodedJpeg {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    size_t rowBytes = 0;
    int sampling[3] = {0, 0, 0};
};

// Decodes a baseline, 8-bit, three-component YCbCr JPEG. Returns false (and writes the reason into
// the shared error text) for anything else, for corrupt data and when memory runs out.
bool decodeJpeg(const JpegSource& source, bool padRowsTo4, DecodedJpeg& out);

// The shared error-text buffer: the reason of the last failed decode on this thread.
const char* jpegErrorText();
void setJpegErrorText(const char* text);

// Pictures larger than this are refused before any pixel memory is taken.
constexpr long long kMaxJpegPixels = 8192LL * 8192LL;
