#include "player/ItemStreamAnimation.h"

#include "player/AnimationStreamFormat.h"
#include "player/SoundDecoder.h"

#include "animation/FaceTrackFill.h"
#include "documents/TimelineItemFiles.h"
#include "export/ExportPipeline.h"
#include "face/CHeadModel.h"
#include "timeline/TimelineData.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The rate of the export's animation stream, so that both files of one project play alike.
constexpr int kItemStreamFramesPerSecond = 15;
constexpr std::uint32_t kUnitsPerMs = 16;
constexpr int kSpeechRate = 8000;
constexpr std::int64_t kSpeechFrameMs = kStreamSpeechFrameUnits / kUnitsPerMs;

// The head pack's chunks from the stream's pictures.
std::vector<PackChunk> headChunks(StreamContent& content)
{
    std::vector<PackChunk> chunks;
    chunks.push_back({"MESH", std::move(content.mesh)});
    chunks.push_back({"MSKJ", std::move(content.mask)});
    chunks.push_back({"FTXJ", std::move(content.faceTexture)});
    chunks.push_back({"TTTJ", std::move(content.teethTop)});
    chunks.push_back({"BTTJ", std::move(content.teethBottom)});
    if (!content.backgroundPictures.empty())
        chunks.push_back({"BGRJ", std::move(content.backgroundPictures.front())});
    return chunks;
}

// The rate bits at the start of a G.723.1 frame for the frame sizes the stream carries. A frame whose bits
// disagree with its announced size would be skipped by the decoder, and the speech would slip.
bool rateBitsFit(std::uint8_t first, std::uint8_t size)
{
    const int bits = first & 3;
    return (size == 20 && bits == 1) || (size == 4 && bits == 2) || (size == 1 && bits == 3);
}

std::string decodeDamage(std::size_t decodedFrames)
{
    return "the speech does not decode after " +
           std::to_string(std::int64_t(decodedFrames) * kSpeechFrameMs) + " ms";
}

} // namespace

std::unique_ptr<CHeadModel> itemStreamHead(StreamContent& content, std::string& error)
{
    return headFromPack(headChunks(content), error);
}

bool isItemStreamFile(const std::filesystem::path& path)
{
    FileByteSource in;
    return in.open(path) && startsAsStreamFile(in);
}

std::vector<TimedFapFrame> itemStreamFrames(const StreamContent& content, CFapMixer& mixer,
                                            std::uint32_t blinkSeed, std::int32_t frameMs)
{
    // The items go through the timeline, so that they reach the mixer exactly as a play hands them over.
    TimelineData timeline;
    const ItemNameTables names = builtInItemNames();
    for (const ItemFileKind kind :
         {ItemFileKind::visemes, ItemFileKind::expressions, ItemFileKind::headTurns})
        trackIntoTimeline(content.items, kind, timeline, names);
    const std::uint64_t samples = std::uint64_t(content.speech.sizes.size()) * kStreamSpeechFrameUnits;
    timeline.setSampleCount(std::int32_t(std::min<std::uint64_t>(samples, INT32_MAX)));
    fillFaceEvents(timeline, mixer, wholeVoiceRange(timeline), seededBlinkRandom(blinkSeed));

    std::vector<TimedFapFrame> frames;
    std::int64_t t = 0;
    do {
        TimedFapFrame frame;
        frame.ms = t;
        mixer.setClock(std::uint32_t(t));
        mixer.computeFrame(frame.values);
        frames.push_back(frame);
        t += std::max(frameMs, 1);
    } while (std::uint64_t(t) * kUnitsPerMs < std::uint64_t(timeline.sampleCount()));
    mixer.clear();
    return frames;
}

bool decodeStreamSpeech(const StreamSpeech& speech, std::vector<std::int16_t>& voice,
                        std::size_t& decodedFrames)
{
    decodedFrames = 0;
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    if (!parameters)
        return false;
    parameters->codec_type = AVMEDIA_TYPE_AUDIO;
    parameters->codec_id = AV_CODEC_ID_G723_1;
    parameters->sample_rate = kSpeechRate;
    av_channel_layout_default(&parameters->ch_layout, 1);
    SoundDecoder decoder;
    const bool opened = decoder.open(*parameters);
    avcodec_parameters_free(&parameters);
    if (!opened)
        return false;
    Packet packet;
    std::size_t at = 0;
    bool whole = packet.packet != nullptr;
    for (std::size_t i = 0; whole && i < speech.sizes.size(); ++i) {
        const std::uint8_t size = speech.sizes[i];
        whole = at + size <= speech.bytes.size() && rateBitsFit(speech.bytes[at], size) &&
                av_new_packet(packet.packet, size) == 0;
        if (!whole)
            break;
        std::memcpy(packet.packet->data, speech.bytes.data() + at, size);
        whole = decoder.decode(packet.packet, voice);
        av_packet_unref(packet.packet);
        at += size;
        decodedFrames += whole;
    }
    // What the resampler holds of the frames that did decode belongs to the voice either way.
    const bool flushed = decoder.finish(voice);
    return whole && flushed;
}

AnimationOpen openItemStream(const std::filesystem::path& path,
                             const std::filesystem::path& expressionsFolder, std::uint32_t blinkSeed,
                             AnimationFile& file, std::string& error)
{
    file.kind = AnimationKind::itemStream;
    FileByteSource in;
    if (!in.open(path)) {
        error = "cannot open the file";
        return AnimationOpen::failed;
    }
    StreamContent content;
    if (readStreamFile(in, content, error) == StreamRead::failed)
        return AnimationOpen::failed;
    file.damage = content.damage;
    file.backgrounds = content.backgroundNames;
    file.head = itemStreamHead(content, error);
    if (!file.head)
        return AnimationOpen::failed;
    std::size_t decodedFrames = 0;
    if (!decodeStreamSpeech(content.speech, file.voice, decodedFrames)) {
        // Frames past the speech that decodes are dropped with it, so that picture and sound end together.
        content.speech.sizes.resize(decodedFrames);
        if (file.damage.empty())
            file.damage = decodeDamage(decodedFrames);
    }
    CFapMixer mixer(expressionsFolder);
    file.frames = itemStreamFrames(content, mixer, blinkSeed, frameDurationMs(kItemStreamFramesPerSecond));
    return file.damage.empty() ? AnimationOpen::whole : AnimationOpen::damaged;
}
