#pragma once

#include "player/AnimationFile.h"

#include <filesystem>
#include <string>

// The headless outputs of the player: every record's frame as a numbered picture, or a video of the
// frames at their records' times with the decoded sound.

// "frame_00000.png", ... in `folder` (created when missing), one per record.
bool writeAnimationFrames(AnimationFile& file, const std::filesystem::path& folder, std::string& error);
// An MP4 of H.264 at the records' times and AAC of the decoded voice, made by the export's writer.
bool writeAnimationVideo(AnimationFile& file, const std::filesystem::path& output, std::string& error);

// The frame size of an animation stream: its head is drawn at the size its video stream announces.
constexpr int kAnimationFrameSize = 256;
