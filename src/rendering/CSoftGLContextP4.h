#pragma once

#include "rendering/CSoftGLContext.h"

// The Pentium 4 class variant: SSE matrix arithmetic and the span routines of RasterizerP4.
class CSoftGLContextP4 : public CSoftGLContext {
public:
    CSoftGLContextP4();
};
