#pragma once

#include "player/AnimationFile.h"

#include "documents/CmtStreamReader.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

// The item stream (".cmt") made playable: its head, the frames its items give through the mixer, and
// its decoded speech.

// Whether the file opens as an item stream (by its first chunk, whatever its name).
bool isItemStreamFile(const std::filesystem::path& path);

// The head from the content's mesh with its pictures in their slots (the first background in the
// background slot), as the animation stream's head pack gives them; the pictures are taken from
// `content`. Null when the mesh is unreadable.
std::unique_ptr<CHeadModel> itemStreamHead(StreamContent& content, std::string& error);

// Reads the file and fills `file` as openAnimationFile describes.
AnimationOpen openItemStream(const std::filesystem::path& path,
                             const std::filesystem::path& expressionsFolder, std::uint32_t blinkSeed,
                             AnimationFile& file, std::string& error);

// The frames of the content's items, stepped as the export steps its mixer: one every `frameMs` from 0
// for as long as the speech lasts (one frame when there is none), with blinks drawn from `blinkSeed`.
std::vector<TimedFapFrame> itemStreamFrames(const StreamContent& content, CFapMixer& mixer,
                                            std::uint32_t blinkSeed, std::int32_t frameMs);

// The content's speech decoded and brought to the voice rate. False, with the voice up to there kept,
// when a frame does not decode or its rate bits disagree with its size; `decodedFrames` tells how many
// did.
bool decodeStreamSpeech(const StreamSpeech& speech, std::vector<std::int16_t>& voice,
                        std::size_t& decodedFrames);
