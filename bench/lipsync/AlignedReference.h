#pragma once
// Reference phone timing for recorded speech that comes with only a word transcript: the transcript's
// phones are force-aligned by the decoder's command-line tool with the full (context-dependent) model.
// The reference therefore shares the acoustic model with the recogniser and flatters it somewhat; the
// bench reports it apart from the synthesised set.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct AlignedVoice {
    std::string wav;                      // 16 kHz mono 16-bit
    std::vector<std::string> framePhones; // lower-case phone per 10-ms frame, "sil" for pauses
    std::string transcript;               // the words aligned
};

// The transcribed samples of the decoder's test data, aligned in workDir. Utterances whose words the
// pronouncing dictionary lacks, or that fail to align, are left out.
std::vector<AlignedVoice> alignedTestVoices(const std::filesystem::path& workDir);

// Runs a shell command and returns what it wrote to standard output.
std::string capture(const std::string& command);
