#pragma once

#include "rendering/CSoftGLContext.h"

// The Pentium III class variant: SSE matrix arithmetic; the generic set-up, clipping and spans.
class CSoftGLContextP3 : public CSoftGLContext {
public:
    CSoftGLContextP3();
};
