#include "player/AnimationOutput.h"

#include "player/AnimationFrameRenderer.h"

#include "export/MediaWriter.h"
#include "images/PngFile.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::int32_t kVideoAudioBitRate = 48000;
constexpr int kVideoKeyFrameSeconds = 2;
constexpr int kSamplesPerMs = kPlayerVoiceRate / 1000;

bool prepare(AnimationFile& file, AnimationFrameRenderer& renderer, std::string& error)
{
    if (!file.head || !renderer.create(*file.head, kAnimationFrameSize, kAnimationFrameSize)) {
        error = "the head cannot be drawn";
        return false;
    }
    return true;
}

// The frame rate the records were made at, from their steps (66 ms gives 15).
int framesPerSecond(const AnimationFile& file)
{
    if (file.frames.size() < 2)
        return 15;
    const std::int64_t step = file.frames[1].ms - file.frames[0].ms;
    return step > 0 ? int(std::clamp<std::int64_t>(1000 / step, 1, 60)) : 15;
}

} // namespace

bool writeAnimationFrames(AnimationFile& file, const std::filesystem::path& folder, std::string& error)
{
    AnimationFrameRenderer renderer;
    if (!prepare(file, renderer, error))
        return false;
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05zu.png", i);
        if (!renderer.draw(file.frames[i].values) ||
            !writePngOpaque((folder / name).string(), renderer.pixels().data(), renderer.width(),
                            renderer.height(), true)) {
            error = "cannot write " + (folder / name).string();
            return false;
        }
    }
    return true;
}

namespace {

bool encodeVideo(AnimationFile& file, const std::filesystem::path& output, std::string& error)
{
    AnimationFrameRenderer renderer;
    if (!prepare(file, renderer, error))
        return false;
    MediaLayout layout;
    layout.container = "mp4";
    layout.audio = AudioFormat{0, kPlayerVoiceRate, 1, kVideoAudioBitRate, 0, "aac", kVideoAudioBitRate};
    layout.video = VideoSource::h264Pictures;
    layout.width = layout.height = kAnimationFrameSize;
    layout.framesPerSecond = framesPerSecond(file);
    layout.keyFrameSeconds = kVideoKeyFrameSeconds;
    MediaWriter writer;
    if (writer.open(output, layout) != kExportOk) {
        error = "cannot write " + output.string();
        return false;
    }
    std::size_t voiceAt = 0;
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        // Each frame takes the sound up to the next frame's time, the last one the rest.
        const std::size_t until =
            i + 1 < file.frames.size()
                ? std::size_t(std::max<std::int64_t>(file.frames[i + 1].ms, 0)) * kSamplesPerMs
                : file.voice.size();
        const std::size_t end = std::clamp(until, voiceAt, file.voice.size());
        if ((end > voiceAt && writer.writeAudio(file.voice.data() + voiceAt, end - voiceAt) != kExportOk) ||
            !renderer.draw(file.frames[i].values) ||
            writer.writePicture(renderer.pixels().data(), file.frames[i].ms) != kExportOk) {
            error = "cannot write " + output.string();
            return false;
        }
        voiceAt = end;
    }
    if (writer.finish() != kExportOk) {
        error = "cannot finish " + output.string();
        return false;
    }
    return true;
}

} // namespace

bool writeAnimationVideo(AnimationFile& file, const std::filesystem::path& output, std::string& error)
{
    if (encodeVideo(file, output, error))
        return true;
    // A video cut short is not left looking like a finished one.
    std::error_code removed;
    std::filesystem::remove(output, removed);
    return false;
}
