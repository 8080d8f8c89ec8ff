#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

class CHeadModel;

// The two stored forms of a head: the label-prefixed text form and the little-endian mesh record.
// Readers work on bytes so files, memory blocks and fuzzers share one path. A read either succeeds
// whole or leaves a given model untouched; truncated or hostile input fails before large allocations.

struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

enum class HeadForm { Unknown, Text, MeshRecord };

// Tells the forms apart by content.
HeadForm detectHeadForm(ByteView bytes);

// A new model from the bytes, or null on failure.
std::unique_ptr<CHeadModel> readTextHead(ByteView bytes);
std::unique_ptr<CHeadModel> readMeshRecord(ByteView bytes);
// Refills `model` (its counts must match); 1 on success, 0 with the model unchanged otherwise.
int readTextHeadInto(ByteView bytes, CHeadModel& model);
int readMeshRecordInto(ByteView bytes, CHeadModel& model);
// The record inside a memory block at base + offset, `length` bytes long.
int readMeshRecordInto(const void* base, std::size_t offset, std::size_t length, CHeadModel& model);

// Whole-file helpers; an unreadable file gives null / 0.
int readFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);
std::unique_ptr<CHeadModel> readTextHeadFile(const std::filesystem::path& path);
std::unique_ptr<CHeadModel> readMeshRecordFile(const std::filesystem::path& path);
// Either form, told apart by content.
std::unique_ptr<CHeadModel> readHeadFile(const std::filesystem::path& path);

// The record of a model: vertices from the neutral pose (stored set 1; the current positions when
// no neutral pose was ever saved).
std::vector<std::uint8_t> meshRecordBytes(const CHeadModel& model);
// Writes the record, truncating the file or appending to it; 1 on success.
int writeMeshRecord(const std::filesystem::path& path, const CHeadModel& model, bool append);
// The text form of the same data.
std::vector<std::uint8_t> textHeadBytes(const CHeadModel& model);
int writeTextHead(const std::filesystem::path& path, const CHeadModel& model);
