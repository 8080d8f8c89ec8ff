#pragma once

#include <cstdint>
#include <functional>

// How far a long task got, `done` out of `total` in the task's own units (bytes, samples, frames);
// returning false cancels the task. Conversion, lip-sync, save, the stream file and the export all
// report through it, so one progress dialog or one console line serves every one of them.
using ProgressCallback = std::function<bool(std::uint64_t done, std::uint64_t total)>;
