#pragma once
// The syllable recogniser's C interface. Call order per block: ASTInit, ASTGetNumTotalSyl,
// ASTSylRecogSample, ASTGetResult, ASTGetSyl (per record), ASTDestroy. Frames are 10 ms (160 samples of
// 16 kHz mono 16-bit); syllable texts are Big5 Bopomofo letters, NUL-terminated. One recogniser per
// process: the calls share one global state and must not run on two threads at once.

#include <cstdint>

#if defined(_WIN32)
#define SYLRECOG_API extern "C" __declspec(dllexport)
#else
#define SYLRECOG_API extern "C" __attribute__((visibility("default")))
#endif

// One recognised syllable as ASTGetResult writes it: six bytes, times in frames, end frame inclusive.
struct SylRecord {
    uint16_t id;
    uint16_t startFrame;
    uint16_t endFrame;
};
static_assert(sizeof(SylRecord) == 6);

constexpr int kSylNoResult = -1008;    // success with no syllables
constexpr int kSylFailed = -1;         // decoder failure or input the record layout cannot carry
constexpr int kSylNotReady = -2;       // a call out of order
constexpr int kSylTextCapacity = 14;   // at most 13 bytes of text plus NUL

// Loads the resource file (path as given, relative to the current directory) and starts the decoder.
// 0 means ready.
SYLRECOG_API int ASTInit(const char* resourceFile);
// The number of distinct syllable texts the loaded table can produce.
SYLRECOG_API int ASTGetNumTotalSyl();
// Recognises count samples as one utterance. Result: syllable count, kSylNoResult, or a negative failure.
SYLRECOG_API int ASTSylRecogSample(const int16_t* samples, int count);
// Copies the first n records of the last recognition, in time order. 0 when n exceeds what is held.
SYLRECOG_API int ASTGetResult(SylRecord* records, int n);
// Writes the text of syllable id of the last recognition (at most kSylTextCapacity bytes with NUL);
// an unknown id gives an empty text and result 0.
SYLRECOG_API int ASTGetSyl(int id, char* text);
// Frees the decoder and the last result. Safe to call at any time.
SYLRECOG_API int ASTDestroy();
