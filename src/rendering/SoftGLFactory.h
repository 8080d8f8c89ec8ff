#pragma once

#include "rendering/CSoftGLContext.h"

#include <memory>

// The context for a processor type: 0 generic, 1 Pentium III class, 2 Pentium 4 class; any other
// value falls back to the generic variant.
std::unique_ptr<CSoftGLContext> createSoftGLContext(int processorType);
