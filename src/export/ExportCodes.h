#pragma once

#include <cstdint>

// Result codes of the export, as the media services report them; 0 is success.
using ExportCode = std::uint32_t;

constexpr ExportCode kExportOk = 0;
constexpr ExportCode kExportAborted = 0x80004004; // cancelled through the progress callback
constexpr ExportCode kExportFailed = 0x80004005;  // a media call or a file failed
constexpr ExportCode kExportInvalidArgument = 0x80070057;
constexpr ExportCode kExportOutOfMemory = 0x8007000E;
constexpr ExportCode kExportNoAudioFormat = 0xC00D0BC2; // no installed encoder offers the audio format
constexpr ExportCode kExportAudioDriverBase = 0xC00E0000;
