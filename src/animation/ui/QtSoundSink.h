#pragma once

#include "audio/SoundSink.h"

#include <memory>

// The default sound output as a sink, on Qt Multimedia; null when the system has no output device,
// so the caller falls back to the silent sink.
std::unique_ptr<SoundSink> makeQtSoundSink();
