#pragma once

// Processor code paths of the software renderer.
enum ProcessorPath : int { kProcessorGeneric = 0, kProcessorSse = 1, kProcessorSse2 = 2 };

// The best code path this processor and operating system support.
int detectProcessorPath();
