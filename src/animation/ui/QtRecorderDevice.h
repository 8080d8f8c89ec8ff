#pragma once

#include "audio/CRecorder.h"

#include <memory>

// The recorder's device on Qt Multimedia: records the default input into memory, plays the take on
// the default output and writes it as a WAV file. Used on the user-interface thread.
std::unique_ptr<RecorderDevice> makeQtRecorderDevice();
