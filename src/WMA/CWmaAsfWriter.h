#pragma once

#include "WMA/CWmaEncoder.h"

#include <filesystem>
#include <string>

struct AVFormatContext;

// Writes encoder packets into an audio-only ASF file through FFmpeg's ASF muxer, with the wave format
// (and its extra data) the encoder's stream needs.
class CWmaAsfWriter {
public:
    CWmaAsfWriter() = default;
    ~CWmaAsfWriter();
    CWmaAsfWriter(const CWmaAsfWriter&) = delete;
    CWmaAsfWriter& operator=(const CWmaAsfWriter&) = delete;

    // Creates the file and writes its header; on failure `error` says why and nothing stays open.
    bool open(const std::filesystem::path& path, const WmaFormat& format, std::string& error);
    bool write(const WmaPacket& packet, std::string& error);
    // Writes the index and closes the file.
    bool finish(std::string& error);

private:
    void close();

    AVFormatContext* context_ = nullptr;
    int sampleRate_ = 0;
    bool headerWritten_ = false;
};
