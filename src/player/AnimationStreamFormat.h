#pragma once

#include "animation/CFapMixer.h"
#include "face/HeadFiles.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CHeadModel;

// The pieces of an animation stream file (".cmf") that need no demuxer: the head pack in the animation
// stream's format data, its chunks, and the "CFPS" records. Every reader takes bytes and checks every
// length against them, so a file, a memory block and a fuzzer share one path.

struct PackChunk {
    std::string tag; // "MESH", "MSKJ", "FTXJ", "TTTJ", "BTTJ", "BGRJ" or one we do not know
    std::vector<std::uint8_t> bytes;
};

// The compressed head pack of the header's first video stream announced as "QC10", carrying its format data
// in a "MONO" chunk after the bitmap header. `header` starts at the file's first byte and may end anywhere
// after the header object.
bool findPackedHead(ByteView header, std::vector<std::uint8_t>& packed, std::string& error);

// The packed head inflated and split into its chunks.
bool unpackHead(const std::vector<std::uint8_t>& packed, std::vector<PackChunk>& chunks, std::string& error);

// A head model from the "MESH" chunk with the pictures in their slots: photo with the mask's alpha in
// slot 0, teeth in 1 and 2, the background in 7. A picture that cannot be read or does not fit its slot
// leaves the slot as the mesh record left it. Null when there is no readable mesh.
std::unique_ptr<CHeadModel> headFromPack(const std::vector<PackChunk>& chunks, std::string& error);

// One record's values; the parameters it leaves out are zero. False for anything but a whole record.
bool readAnimationRecord(ByteView record, FapFrame& frame);

// The low-level values a record leaves out, blended again from its packed viseme and expression words
// over the mixer's rows, as the mixer blended them (expression first, then viseme, each truncated).
// The eyelid closures and the head pose travel as values and are kept.
void restoreBlendedValues(FapFrame& frame, const CFapMixer& rows);
