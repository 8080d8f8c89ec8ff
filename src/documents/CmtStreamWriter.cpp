#include "documents/CmtStreamWriter.h"

#include "documents/ByteSource.h"
#include "documents/ChunkedContainer.h"
#include "documents/HeadPacks.h"
#include "Common/TempFile.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr size_t kSpeechFrameSamples16k = 480;

bool writeChunk(FileSink& out, uint32_t tag, const std::vector<uint8_t>& payload, uint32_t lengthField)
{
    return out.writeU32(tag) && out.writeU32(lengthField) && out.write(payload.data(), payload.size());
}

// An image chunk, left out when there is no file or it cannot be opened.
bool writeImageChunk(FileSink& out, uint32_t tag, const std::string& path, std::vector<uint8_t>& buffer)
{
    if (path.empty())
        return true;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return true;
    bool copied = copyFileIntoChunk(out, tag, file, buffer);
    std::fclose(file);
    return copied;
}

using NamedPictures = std::vector<std::pair<std::string, std::string>>;

// A reader pairs the i-th name with the i-th picture, so a background whose picture cannot be read
// loses its name too; otherwise every later name would point at the next one's picture.
NamedPictures readableBackgrounds(const NamedPictures& backgrounds)
{
    NamedPictures readable;
    for (const auto& background : backgrounds) {
        std::FILE* file = background.second.empty() ? nullptr : std::fopen(background.second.c_str(), "rb");
        if (!file)
            continue;
        std::fclose(file);
        readable.push_back(background);
    }
    return readable;
}

bool writeHeader(FileSink& out, const StreamInputs& inputs, std::vector<uint8_t>& buffer,
                 DocumentStatus& status)
{
    const NamedPictures backgrounds = readableBackgrounds(inputs.backgrounds);
    std::vector<uint8_t> header;
    appendU16(header, 1);
    appendU16(header, 0);
    if (!writeChunk(out, tags::SHDR, header, 4))
        return false;
    for (const auto& [name, path] : backgrounds)
        if (!writeNameChunk(out, tags::BGDN, name))
            return false;
    ScopedTempFile mesh("hm");
    if (!mesh.valid() || !inputs.writeMesh || !inputs.writeMesh(mesh.path()) ||
        !copyFileIntoChunk(out, tags::MESH, mesh.path(), buffer, status))
        return false;
    if (!writeImageChunk(out, tags::MSKJ, inputs.mask, buffer) ||
        !writeImageChunk(out, tags::FTXJ, inputs.faceTexture, buffer) ||
        !writeImageChunk(out, tags::TTTJ, inputs.teethTop, buffer) ||
        !writeImageChunk(out, tags::BTTJ, inputs.teethBottom, buffer))
        return false;
    for (const auto& [name, path] : backgrounds)
        if (!writeImageChunk(out, tags::BGRJ, path, buffer))
            return false;
    return true;
}

// The items of one block as an inline chunk; its length field counts only the records.
bool writeBlockItems(FileSink& out, uint32_t tag, const EncodedTrack& track, size_t& runningIndex,
                     uint64_t blockStart)
{
    std::vector<uint8_t> payload = windowPayload(track, runningIndex, blockStart, kStreamBlockUnits);
    uint32_t count = loadU32(payload.data());
    if (count == 0)
        return true;
    return writeChunk(out, tag, payload, static_cast<uint32_t>(payload.size() - 8));
}

uint32_t frameType(size_t bytes)
{
    return bytes == 20 ? 3u : bytes == 4 ? 2u : 1u;
}

class SpeechBlocks {
public:
    SpeechBlocks(ByteSource& voice, SpeechFrameCoder& coder) : voice_(voice), coder_(coder) {}

    bool ended() const { return ended_; }

    // Codes up to 16 frames and returns the "SPCG" payload: type word, then the coded frames.
    std::vector<uint8_t> codeBlock()
    {
        uint32_t types = 0;
        std::vector<uint8_t> frames;
        for (size_t k = 0; k < kStreamFramesPerBlock && !ended_; ++k) {
            std::array<int16_t, SpeechFrameCoder::kFrameSamples> halved{};
            if (!readHalvedFrame(halved)) {
                ended_ = true;
                break;
            }
            std::array<uint8_t, SpeechFrameCoder::kMaxFrameBytes> coded{};
            size_t bytes = coder_.codeFrame(halved.data(), coded.data());
            if (bytes != 20 && bytes != 4 && bytes != 1) {
                ended_ = true;
                break;
            }
            types |= frameType(bytes) << (2 * k);
            frames.insert(frames.end(), coded.begin(), coded.begin() + static_cast<long>(bytes));
        }
        std::vector<uint8_t> payload;
        appendU32(payload, types);
        payload.insert(payload.end(), frames.begin(), frames.end());
        return payload;
    }

private:
    // 480 samples at 16 kHz, each pair averaged into one sample at 8 kHz.
    bool readHalvedFrame(std::array<int16_t, SpeechFrameCoder::kFrameSamples>& halved)
    {
        std::array<uint8_t, kSpeechFrameSamples16k * 2> bytes{};
        if (!voice_.readExactly(bytes.data(), bytes.size()))
            return false;
        for (size_t i = 0; i < halved.size(); ++i) {
            int first = static_cast<int16_t>(loadU16(&bytes[4 * i]));
            int second = static_cast<int16_t>(loadU16(&bytes[4 * i + 2]));
            halved[i] = static_cast<int16_t>((first + second) / 2);
        }
        return true;
    }

    ByteSource& voice_;
    SpeechFrameCoder& coder_;
    bool ended_ = false;
};

bool writeBlocks(FileSink& out, const StreamInputs& inputs, ByteSource& voice, uint64_t sampleCount,
                 SpeechFrameCoder& coder, const StreamProgress& progress, bool& cancelled)
{
    coder.reset();
    SpeechBlocks speech(voice, coder);
    size_t visemeIndex = 0, expressionIndex = 0, headTurnIndex = 0;
    for (uint64_t blockStart = 0;; blockStart += kStreamBlockUnits) {
        if (!writeBlockItems(out, tags::VISM, inputs.visemes, visemeIndex, blockStart) ||
            !writeBlockItems(out, tags::EXPR, inputs.expressions, expressionIndex, blockStart) ||
            !writeBlockItems(out, tags::MOTN, inputs.headTurns, headTurnIndex, blockStart))
            return false;
        std::vector<uint8_t> payload = speech.codeBlock();
        if (!writeChunk(out, tags::SPCG, payload, static_cast<uint32_t>(payload.size())))
            return false;
        if (progress && !progress(blockStart, sampleCount)) {
            cancelled = true;
            return false;
        }
        if (speech.ended())
            return true;
    }
}

} // namespace

int streamPerMille(uint64_t done, uint64_t total)
{
    if (total == 0)
        return 0;
    if (total < 1000)
        return static_cast<int>(done * 1000 / total);
    return static_cast<int>(done / (total / 1000));
}

bool findVoiceSamples(ByteSource& in, uint64_t& offset, uint64_t& bytes)
{
    uint8_t riff[12];
    if (!in.seek(0) || !in.readExactly(riff, sizeof riff) || std::string(riff, riff + 4) != "RIFF" ||
        std::string(riff + 8, riff + 12) != "WAVE")
        return false;
    bool formatOk = false;
    while (in.remaining() >= 8) {
        uint8_t header[8];
        in.readExactly(header, sizeof header);
        std::string id(header, header + 4);
        uint64_t size = loadU32(header + 4);
        if (id == "fmt ") {
            uint8_t format[16];
            if (size < sizeof format || !in.readExactly(format, sizeof format) ||
                !in.skip(size - sizeof format))
                return false;
            formatOk = loadU16(format) == 1 && loadU16(format + 2) == 1 && loadU32(format + 4) == 16000 &&
                       loadU16(format + 14) == 16;
        } else if (id == "data") {
            offset = in.position();
            bytes = std::min(size, in.remaining());
            return formatOk;
        } else if (!in.skip(size + (size & 1))) {
            return false;
        }
    }
    return false;
}

bool writeStreamFile(const std::filesystem::path& path, const StreamInputs& inputs, SpeechFrameCoder& coder,
                     const StreamProgress& progress, DocumentStatus& status)
{
    FileByteSource voiceFile;
    uint64_t dataOffset = 0, dataBytes = 0;
    if (!voiceFile.open(inputs.voice) || !findVoiceSamples(voiceFile, dataOffset, dataBytes)) {
        status.setFileError(DocumentStatus::FileError::notFound, inputs.voice.string());
        return false;
    }
    WindowByteSource voice(voiceFile, dataOffset, dataBytes);
    std::vector<uint8_t> buffer(kCopyBlockSize);
    bool cancelled = false;
    bool written = writeFileSafely(path, status, [&](FileSink& out) {
        return writeHeader(out, inputs, buffer, status) &&
               writeBlocks(out, inputs, voice, dataBytes / 2, coder, progress, cancelled) &&
               out.writeU32(tags::SEND) && out.writeU32(0);
    });
    if (!written)
        status.messageId = kMsgStreamFailed; // the stream's own message outranks the file error beneath it
    return written;
}
