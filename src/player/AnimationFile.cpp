#include "player/AnimationFile.h"

#include "player/AnimationStreamFormat.h"
#include "player/SoundDecoder.h"
#include "player/ItemStreamAnimation.h"

#include "face/CHeadModel.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <fstream>

namespace {

constexpr std::uint64_t kMostHeader = 64u << 20;
constexpr std::size_t kHeaderHead = 30;
constexpr AVRational kMilliseconds{1, 1000};

std::uint64_t le64(const std::uint8_t* p)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

// Whether the packets the data object announces all lie within the file: the demuxer ends quietly at a
// cut between two packets, which must not pass for the file's end.
bool packetsWhole(std::ifstream& in, std::uint64_t headerSize)
{
    in.clear();
    in.seekg(0, std::ios::end);
    const auto fileSize = std::uint64_t(in.tellg());
    std::uint8_t data[24] = {};
    in.seekg(std::streamoff(headerSize));
    in.read(reinterpret_cast<char*>(data), sizeof data);
    if (in.gcount() != sizeof data)
        return false;
    const std::uint64_t dataSize = le64(data + 16);
    return dataSize <= fileSize && headerSize <= fileSize - dataSize;
}

bool readHeader(const std::filesystem::path& path, std::vector<std::uint8_t>& header, bool& whole,
                std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    header.resize(kHeaderHead);
    in.read(reinterpret_cast<char*>(header.data()), std::streamsize(header.size()));
    if (std::size_t(in.gcount()) != header.size()) {
        error = "not an animation stream file: too short";
        return false;
    }
    const std::uint64_t size = le64(&header[16]);
    // A header larger than the limit is cut there; the reader then finds it truncated.
    header.resize(std::size_t(std::clamp<std::uint64_t>(size, kHeaderHead, kMostHeader)));
    in.read(reinterpret_cast<char*>(header.data() + kHeaderHead),
            std::streamsize(header.size() - kHeaderHead));
    header.resize(kHeaderHead + std::size_t(in.gcount()));
    whole = packetsWhole(in, size);
    return true;
}

bool readHead(const std::filesystem::path& path, AnimationFile& file, bool& whole, std::string& error)
{
    std::vector<std::uint8_t> header, packed;
    std::vector<PackChunk> chunks;
    if (!readHeader(path, header, whole, error) ||
        !findPackedHead({header.data(), header.size()}, packed, error) || !unpackHead(packed, chunks, error))
        return false;
    file.head = headFromPack(chunks, error);
    return file.head != nullptr;
}

struct FormatContext {
    AVFormatContext* context = nullptr;
    ~FormatContext() { avformat_close_input(&context); }
};

std::string damageAt(std::int64_t ms, const char* what)
{
    return std::string(what) + " after " + std::to_string(ms) + " ms";
}

// The packets of both streams, up to the end or the first damage.
bool readPackets(const std::filesystem::path& path, const CFapMixer& rows, AnimationFile& file,
                 std::string& error)
{
    FormatContext input;
    if (avformat_open_input(&input.context, path.string().c_str(), av_find_input_format("asf"), nullptr) <
        0) {
        error = "the file's header cannot be read";
        return false;
    }
    int video = -1, audio = -1;
    for (unsigned i = 0; i < input.context->nb_streams; ++i) {
        const AVMediaType type = input.context->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && video < 0)
            video = int(i);
        if (type == AVMEDIA_TYPE_AUDIO && audio < 0)
            audio = int(i);
    }
    SoundDecoder sound;
    const bool hasSound = audio >= 0 && sound.open(*input.context->streams[audio]->codecpar);
    Packet packet;
    std::int64_t lastMs = 0;
    for (;;) {
        const int read = av_read_frame(input.context, packet.packet);
        if (read == AVERROR_EOF)
            break;
        if (read < 0) {
            file.damage = damageAt(lastMs, "the packets are damaged");
            break;
        }
        const AVStream& stream = *input.context->streams[packet.packet->stream_index];
        const std::int64_t ms = packet.packet->pts == AV_NOPTS_VALUE
                                    ? lastMs
                                    : av_rescale_q(packet.packet->pts, stream.time_base, kMilliseconds);
        TimedFapFrame frame;
        frame.ms = ms;
        if (packet.packet->stream_index == video) {
            if (!readAnimationRecord({packet.packet->data, std::size_t(packet.packet->size)}, frame.values)) {
                file.damage = damageAt(lastMs, "an animation record is damaged");
                break;
            }
            restoreBlendedValues(frame.values, rows);
            file.frames.push_back(frame);
            lastMs = std::max(lastMs, ms);
        } else if (packet.packet->stream_index == audio && hasSound &&
                   !sound.decode(packet.packet, file.voice)) {
            file.damage = damageAt(lastMs, "the sound is damaged");
            break;
        }
        av_packet_unref(packet.packet);
    }
    if (hasSound)
        sound.finish(file.voice);
    std::stable_sort(file.frames.begin(), file.frames.end(),
                     [](const TimedFapFrame& a, const TimedFapFrame& b) { return a.ms < b.ms; });
    if (file.frames.empty() && file.damage.empty())
        file.damage = "the file holds no animation record";
    return true;
}

} // namespace

AnimationOpen openAnimationFile(const std::filesystem::path& path,
                                const std::filesystem::path& expressionsFolder, AnimationFile& file,
                                std::string& error, std::uint32_t blinkSeed)
{
    file = AnimationFile();
    av_log_set_level(AV_LOG_QUIET);
    if (isItemStreamFile(path))
        return openItemStream(path, expressionsFolder, blinkSeed, file, error);
    bool whole = false;
    if (!readHead(path, file, whole, error))
        return AnimationOpen::failed;
    const CFapMixer rows(expressionsFolder);
    if (!readPackets(path, rows, file, error))
        return AnimationOpen::failed;
    if (!whole && file.damage.empty())
        file.damage = "the file is cut short after " +
                      std::to_string(file.frames.empty() ? 0 : file.frames.back().ms) + " ms";
    return file.damage.empty() ? AnimationOpen::whole : AnimationOpen::damaged;
}
