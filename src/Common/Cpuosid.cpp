#include "Common/Cpuosid.h"

int detectProcessorPath()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    // The operating system saves the SIMD registers on every x86 system we run on, so the feature
    // bits alone decide; an SSE2 processor takes that path whatever its vendor.
    if (__builtin_cpu_supports("sse2"))
        return kProcessorSse2;
    if (__builtin_cpu_is("intel") && __builtin_cpu_supports("sse"))
        return kProcessorSse;
#endif
    return kProcessorGeneric;
}
