#pragma once

#include "export/ExportCodes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A marker of the file: its name and its presentation time in 100-ns units from the start.
struct AsfMarker {
    std::string name;
    std::uint64_t time = 0;
};

// A script command: its type (one of kScriptTypes) and parameter, at `timeMs` from the start.
struct AsfScriptCommand {
    std::uint32_t timeMs = 0;
    std::string type;
    std::string parameter;
};

// The script types a file announces, in this order.
extern const char* const kScriptTypes[5];

// What the export adds to the header the muxer wrote.
struct AsfHeaderEdit {
    std::vector<AsfMarker> markers;
    std::vector<AsfScriptCommand> commands;
    bool announceQc10 = false; // replace the video codec code "MP43" by "QC10"
};

// Writes `to` as `from` with the header completed: a Marker Object with offsets into the data packets and
// times after the preroll as the readers expect, a Script Command Object, a correct object count and file
// size, and the codec code patch when asked. kExportFailed for a file that is not such a file.
ExportCode editAsfHeader(const std::filesystem::path& from, const std::filesystem::path& to,
                         const AsfHeaderEdit& edit);

struct AsfStreamInfo {
    int number = 0;
    std::string type;  // "audio", "video", "command" or "other"
    std::string codec; // the four-character code or the decimal wave format tag
    std::uint32_t typeSpecificSize = 0;
    std::vector<std::uint8_t> typeSpecific;
};

// What the header of a file holds, as our own reader sees it.
struct AsfFileInfo {
    std::uint32_t declaredObjects = 0;
    std::uint32_t actualObjects = 0;
    std::uint64_t fileSize = 0;
    std::uint64_t declaredFileSize = 0;
    std::uint64_t preroll = 0; // ms
    std::uint64_t dataPackets = 0;
    std::uint32_t packetSize = 0;
    std::vector<AsfStreamInfo> streams;
    std::vector<std::string> codecNames; // of the codec list, with their codec information as hex
    std::vector<std::vector<std::uint8_t>> codecInformation;
    std::vector<AsfMarker> markers;
    std::vector<std::uint64_t> markerOffsets;
    std::vector<AsfScriptCommand> commands;
    std::vector<std::string> commandTypes;
    std::uint32_t indexEntries = 0;
};

// Reads the header objects and the index; false with `error` set for a damaged or foreign file.
bool readAsfInfo(const std::filesystem::path& path, AsfFileInfo& info, std::string& error);
