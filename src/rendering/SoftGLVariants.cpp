#include "rendering/CSoftGLContextP3.h"
#include "rendering/CSoftGLContextP4.h"
#include "Common/RasterizerP4.h"
#include "rendering/SoftGLFactory.h"
#include "rendering/SoftSpans.h"

CSoftGLContextP3::CSoftGLContextP3() : CSoftGLContext(kSmlSse, genericSpanRoutines()) {}

CSoftGLContextP4::CSoftGLContextP4() : CSoftGLContext(kSmlSse, rasterizerP4Spans()) {}

std::unique_ptr<CSoftGLContext> createSoftGLContext(int processorType)
{
    switch (processorType) {
    case 1:
        return std::make_unique<CSoftGLContextP3>();
    case 2:
        return std::make_unique<CSoftGLContextP4>();
    default:
        return std::make_unique<CSoftGLContext>();
    }
}
