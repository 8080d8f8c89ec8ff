#pragma once

#include "documents/SpeechFrameCoder.h"

#include <memory>

// The stream file's speech coder: G.723.1 at 5.3 kbit/s with silence compression. Null when the
// build has no G.723.1 coder.
std::unique_ptr<SpeechFrameCoder> makeG723StreamCoder();
