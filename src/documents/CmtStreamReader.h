#pragma once

#include "documents/ByteSource.h"
#include "documents/ItemFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads back what the stream writer puts into a `.cmt` file: the header, the head and its pictures,
// the backgrounds, and the blocks' items and coded speech. Every length is checked against the bytes
// that are there; a file damaged after its head keeps what came before the damage and says why.

// The blocks' speech: G.723.1 frames of 240 samples at 8 kHz, one after another from time 0.
struct StreamSpeech {
    std::vector<std::uint8_t> bytes; // the coded frames without gaps
    std::vector<std::uint8_t> sizes; // each frame's bytes: 20 active, 4 silence description, 1 untransmitted
};

struct StreamContent {
    std::uint16_t version = 0; // the header's first word
    std::vector<std::string> backgroundNames;
    std::vector<std::uint8_t> mesh;                                     // a mesh record
    std::vector<std::uint8_t> mask, faceTexture, teethTop, teethBottom; // JPEG files, empty when left out
    std::vector<std::vector<std::uint8_t>> backgroundPictures;          // JPEG files, in list order
    ItemTracks items; // the visemes, expressions and head turns of every block, in file order
    StreamSpeech speech;
    std::size_t blocks = 0;
    std::string damage; // why reading stopped before the end; empty for a whole file
};

enum class StreamRead {
    whole,
    damaged, // readable up to `damage`: the head and what the blocks before it hold are kept
    failed,  // not a stream file, or it ends or breaks before its head is whole
};

constexpr std::uint16_t kStreamVersion = 1;
constexpr std::uint32_t kStreamSpeechFrameUnits = 480; // timeline units of one coded frame

// Whether the bytes at the source's position open a stream file; the position is restored.
bool startsAsStreamFile(ByteSource& in);

// Reads the whole stream from the source's position. `error` says why a read failed.
StreamRead readStreamFile(ByteSource& in, StreamContent& content, std::string& error);
