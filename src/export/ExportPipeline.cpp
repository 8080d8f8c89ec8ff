#include "export/ExportPipeline.h"

#include "export/AsfHeader.h"
#include "export/ExportProfile.h"
#include "export/HtmlPage.h"
#include "export/MediaWriter.h"
#include "export/StockProfiles.h"

#include "Common/AtomicFile.h"
#include "Common/TempFile.h"
#include "face/CHeadModel.h"
#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "timeline/TimelineData.h"
#include "timeline/WavVoiceReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace {

constexpr int kNeutralSet = 1;
constexpr int kBackgroundSlot = 7;
constexpr int kSamplesPerMs = 16;
constexpr int kVoiceBytesPerMs = 32;
constexpr std::int32_t kMp4AudioBitRate = 48000;

void clearBackground(CHeadModel& head)
{
    int width = 0, height = 0;
    if (head.slotSize(kBackgroundSlot, width, height) && width > 0 && height > 0)
        head.writeSlotPixels(kBackgroundSlot,
                             std::vector<std::uint32_t>(std::size_t(width) * height, 0).data());
}

// Marks the model busy for the export's duration and leaves it as it was found: neutral pose back from
// the stored set, background black.
class BusyModel {
public:
    explicit BusyModel(CHeadModel& head) : head_(head) {}
    bool acquire()
    {
        head_.lock();
        if (head_.busy()) {
            head_.unlock();
            return false;
        }
        if (!head_.isInSync(kNeutralSet))
            head_.saveToSet(kNeutralSet);
        const bool ready = head_.isSetValid(kNeutralSet);
        if (ready) {
            clearBackground(head_);
            head_.setBusy(1);
            held_ = true;
        }
        head_.unlock();
        return ready;
    }
    ~BusyModel()
    {
        if (!held_)
            return;
        head_.lock();
        head_.setBusy(0);
        if (head_.isSetValid(kNeutralSet))
            head_.restoreFromSet(kNeutralSet);
        clearBackground(head_);
        head_.unlock();
    }
    BusyModel(const BusyModel&) = delete;
    BusyModel& operator=(const BusyModel&) = delete;

private:
    CHeadModel& head_;
    bool held_ = false;
};

class ModelLock {
public:
    explicit ModelLock(CHeadModel& head) : head_(head) { head_.lock(); }
    ~ModelLock() { head_.unlock(); }
    ModelLock(const ModelLock&) = delete;
    ModelLock& operator=(const ModelLock&) = delete;

private:
    CHeadModel& head_;
};

struct ScriptItem {
    std::uint32_t position; // voice samples
    std::string type;
    std::string parameter;
};

std::string boundedText(const char* text, std::size_t capacity)
{
    return std::string(text, strnlen(text, capacity));
}

// The voice's own end closes the voice in every case.
class OpenVoice {
public:
    explicit OpenVoice(TimelineData& timeline) : timeline_(timeline), open_(timeline.openVoice(reader_)) {}
    ~OpenVoice()
    {
        if (open_)
            timeline_.closeVoice();
    }
    OpenVoice(const OpenVoice&) = delete;
    OpenVoice& operator=(const OpenVoice&) = delete;
    bool open() const { return open_; }

private:
    TimelineData& timeline_;
    CWavVoiceReader reader_;
    bool open_;
};

// The project's markers in time order, at 100-ns units.
std::vector<AsfMarker> projectMarkers(const TimelineData& timeline)
{
    std::vector<AsfMarker> markers;
    for (int i = 0; i < timeline.events().count(); ++i) {
        const EventItem& event = *timeline.events().item(i);
        if (event.kind == kMarkerEvent)
            markers.push_back({boundedText(event.name, sizeof event.name).substr(0, 511),
                               std::uint64_t(event.start) * 10000 / 16});
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const AsfMarker& a, const AsfMarker& b) { return a.time < b.time; });
    return markers;
}

struct Plan {
    MediaLayout layout;
    int width = 0;
    int height = 0;
    bool pictures = true;
    std::string refusal;
};

std::string thousands(std::size_t value)
{
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

ExportCode planExport(const ExportParameters& p, Plan& plan)
{
    MediaLayout& layout = plan.layout;
    if (p.kind == ExportKind::mp4) {
        if ((p.mp4Size != 256 && p.mp4Size != 512) || p.framesPerSecond <= 0)
            return kExportInvalidArgument;
        layout.container = "mp4";
        layout.audio = AudioFormat{0, 16000, 1, kMp4AudioBitRate, 0, "aac", kMp4AudioBitRate};
        layout.video = VideoSource::h264Pictures;
        layout.width = layout.height = p.mp4Size;
        layout.framesPerSecond = p.framesPerSecond;
        layout.keyFrameSeconds = 2;
        for (const AsfMarker& marker : projectMarkers(*p.timeline))
            layout.chapters.push_back({std::int64_t(marker.time / 10000), marker.name});
    } else {
        StockProfile row{};
        VideoStreamSettings video;
        if (p.kind == ExportKind::stream) {
            if (p.framesPerSecond <= 0)
                return kExportInvalidArgument;
            row = animationStreamProfile(p.framesPerSecond);
            std::vector<std::uint8_t> pack, zipped;
            if (!p.head || !buildHeadPack(*p.head, p.pictures, pack))
                return kExportFailed;
            if (!zipDeflate(pack, "head", zipped))
                return kExportOutOfMemory;
            video.formatData = std::move(zipped);
            layout.video = VideoSource::preparedSamples;
            plan.pictures = false;
        } else {
            const StockProfile* stock = stockProfile(p.profileIndex);
            if (!stock)
                return kExportInvalidArgument;
            row = *stock;
            layout.video = VideoSource::mp43Pictures;
        }
        video.bitRate = row.videoBitRate;
        video.width = row.width;
        video.height = row.height;
        video.framesPerSecond = row.framesPerSecond;
        video.keyFrameSeconds = row.keyFrameSeconds;
        ExportProfile profile;
        const std::size_t formatData = monoChunk(video.formatData).size();
        const ExportCode built = buildProfile({row.audioTag, row.audioBitRate, row.sampleRate, row.channels},
                                              {video}, kScriptBitRate, installedAudioFamilies(), profile);
        if (built == kExportNoAudioFormat)
            plan.refusal = "no installed encoder makes " + std::to_string(row.audioBitRate) + " bit/s at " +
                           std::to_string(row.sampleRate) + " Hz";
        else if (built == kExportInvalidArgument && formatData > kMaxFormatData)
            plan.refusal = "the packed head takes " + thousands(formatData) +
                           " bytes of the video stream's format data, which holds at most " +
                           thousands(kMaxFormatData);
        if (built != kExportOk)
            return built;
        layout.container = "asf";
        layout.audio = profile.audio;
        layout.width = row.width;
        layout.height = row.height;
        layout.framesPerSecond = row.framesPerSecond;
        layout.videoBitRate = row.videoBitRate;
        layout.keyFrameSeconds = row.keyFrameSeconds;
        layout.videoFormatData = monoChunk(profile.video[0].formatData);
    }
    plan.width = layout.width;
    plan.height = layout.height;
    return kExportOk;
}

class FrameLoop {
public:
    FrameLoop(const ExportParameters& p, const Plan& plan, MediaWriter& writer)
        : p_(p), plan_(plan), writer_(writer), mixer_(p.expressionsFolder)
    {
    }
    ExportCode run(ExportSummary& summary, std::vector<AsfScriptCommand>& commands);

private:
    ExportCode audio(std::int64_t t, std::int32_t d, std::uint64_t total);
    ExportCode picture(std::int64_t t, const FapFrame& frame);
    void background();

    const ExportParameters& p_;
    const Plan& plan_;
    MediaWriter& writer_;
    CFapMixer mixer_;
    CEventSequencer schedule_;
    CSoftRenderer renderer_;
    std::vector<std::uint32_t> pixels_;
    std::vector<std::int16_t> voice_, clip_, mixed_;
    std::uint64_t voiceRead_ = 0;
};

ExportCode FrameLoop::audio(std::int64_t t, std::int32_t d, std::uint64_t total)
{
    const std::size_t samples = std::size_t(d) * kSamplesPerMs;
    voice_.assign(samples, 0);
    const std::uint64_t left = total - std::min(total, voiceRead_);
    const std::size_t bytes = std::size_t(std::min<std::uint64_t>(left, samples * 2));
    if (bytes > 0) {
        const std::vector<std::uint8_t> read = p_.timeline->readSamples(bytes);
        if (read.size() != bytes)
            return kExportFailed;
        for (std::size_t i = 0; i + 1 < bytes; i += 2)
            voice_[i / 2] = std::int16_t(std::uint16_t(read[i] | read[i + 1] << 8));
        voiceRead_ += bytes;
    }
    schedule_.setTime(std::int32_t(t));
    SoundSlice slice;
    if (!schedule_.nextSoundSlice(d, slice))
        return kExportFailed;
    clip_.resize(slice.bytes.size() / 2);
    for (std::size_t i = 0; i < clip_.size(); ++i)
        clip_[i] = std::int16_t(std::uint16_t(slice.bytes[2 * i] | slice.bytes[2 * i + 1] << 8));
    if (!CEventSequencer::mix(voice_.data(), voice_.size(), clip_.data(), clip_.size(), d, slice.volume,
                              mixed_))
        return kExportOutOfMemory;
    return writer_.writeAudio(mixed_.data(), mixed_.size());
}

void FrameLoop::background()
{
    const std::optional<std::filesystem::path> due = schedule_.nextImage();
    if (!due)
        return;
    if (due->empty()) {
        clearBackground(*p_.head);
        return;
    }
    // A picture that cannot be read or does not fit the slot leaves the previous background.
    CJpegPicture picture;
    int width = 0, height = 0;
    if (picture.loadFile(due->string(), false) && p_.head->slotSize(kBackgroundSlot, width, height) &&
        picture.width() == width && picture.height() == height)
        p_.head->writeSlotPixels(kBackgroundSlot, reinterpret_cast<const std::uint32_t*>(picture.pixels()));
}

ExportCode FrameLoop::picture(std::int64_t t, const FapFrame& frame)
{
    {
        ModelLock lock(*p_.head);
        for (int i = 0; i < kFapCount; ++i)
            p_.head->setFapValue(i, frame[std::size_t(i)]);
        p_.head->deform(false);
        background();
        if (!renderer_.drawPlayerFrame())
            return kExportFailed;
    }
    if (p_.frameTap)
        p_.frameTap(t, pixels_.data(), plan_.width, plan_.height);
    return writer_.writePicture(pixels_.data(), t);
}

ExportCode FrameLoop::run(ExportSummary& summary, std::vector<AsfScriptCommand>& commands)
{
    TimelineData& timeline = *p_.timeline;
    const std::int32_t d = frameDurationMs(plan_.layout.framesPerSecond);
    if (d == 0)
        return kExportInvalidArgument;
    if (p_.fill)
        p_.fill(mixer_, schedule_);
    if (plan_.pictures) {
        pixels_.assign(std::size_t(plan_.width) * std::size_t(plan_.height), 0);
        if (!renderer_.create(p_.head, 0) || !renderer_.setPerspective(false) ||
            !renderer_.setSquareViewport(false) || !renderer_.resetCamera() ||
            !renderer_.setViewport(plan_.width, plan_.height, pixels_.data()))
            return kExportFailed;
    }
    std::vector<ScriptItem> scripts;
    for (int i = 0; i < timeline.events().count(); ++i) {
        const EventItem& event = *timeline.events().item(i);
        if (event.kind == kScriptEvent)
            scripts.push_back({event.start, boundedText(event.script.type, 16).substr(0, 15),
                               boundedText(event.script.parameter, 512).substr(0, 511)});
    }
    std::stable_sort(scripts.begin(), scripts.end(),
                     [](const ScriptItem& a, const ScriptItem& b) { return a.position < b.position; });

    const std::uint64_t total = std::uint64_t(std::max(timeline.sampleCount(), 0)) * 2;
    std::size_t nextScript = 0;
    FapFrame frame{};
    std::int64_t t = 0;
    // A voice shorter than one frame still gives one frame.
    do {
        ExportCode code = audio(t, d, total);
        if (code != kExportOk)
            return code;
        mixer_.setClock(std::uint32_t(t));
        mixer_.computeFrame(frame);
        if (plan_.pictures) {
            code = picture(t, frame);
        } else {
            ImageData unused;
            schedule_.nextImageData(d, unused);
            code = writer_.writeSample(animationRecord(frame), t, d);
        }
        if (code != kExportOk)
            return code;
        // One command per frame; one that shares a frame with another goes out with the next frame
        // rather than holding back every later command.
        const std::uint64_t frameEnd = std::uint64_t(t + d) * kSamplesPerMs;
        if (nextScript < scripts.size() && scripts[nextScript].position < frameEnd) {
            commands.push_back({std::uint32_t(t), scripts[nextScript].type, scripts[nextScript].parameter});
            ++nextScript;
        }
        ++summary.frames;
        const std::uint64_t done = std::min<std::uint64_t>(std::uint64_t(t) * kVoiceBytesPerMs, total);
        if (p_.progress && !p_.progress(done, total))
            return kExportAborted;
        t += d;
    } while (std::uint64_t(t) * kVoiceBytesPerMs < total);
    summary.durationMs = std::uint64_t(t);
    mixer_.clear();
    schedule_.clear();
    return kExportOk;
}

std::string streamLine(const Plan& plan, const ExportParameters& p)
{
    const MediaLayout& l = plan.layout;
    const char* codec = l.video == VideoSource::h264Pictures ? "h264"
                        : p.kind == ExportKind::stream       ? "QC10"
                                                             : "MP43";
    return "video " + std::string(codec) + " " + std::to_string(l.width) + "x" + std::to_string(l.height) +
           " " + std::to_string(l.framesPerSecond) + " fps";
}

} // namespace

std::int32_t frameDurationMs(int framesPerSecond)
{
    return framesPerSecond > 0 ? 1000 / framesPerSecond : 0;
}

ExportCode runExport(const ExportParameters& p, ExportSummary* summaryOut)
{
    if (!p.head || !p.timeline || p.output.empty())
        return kExportInvalidArgument;
    Plan plan;
    // Everything that can be refused is refused before the output is touched.
    ExportCode code = planExport(p, plan);
    if (code != kExportOk) {
        if (summaryOut)
            summaryOut->failure = plan.refusal;
        return code;
    }
    BusyModel busy(*p.head);
    if (!busy.acquire())
        return kExportFailed;
    OpenVoice voice(*p.timeline);
    if (!voice.open())
        return kExportFailed;

    ExportSummary summary;
    const bool asf = plan.layout.container == "asf";
    const bool written = writeFileAtomically(p.output, [&](const std::filesystem::path& staging) {
        // The muxer writes a first draft; the finished header goes into the staging file.
        std::unique_ptr<ScopedTempFile> draft;
        if (asf) {
            draft = std::make_unique<ScopedTempFile>("~mx", staging.parent_path());
            if (!draft->valid()) {
                code = kExportFailed;
                return false;
            }
        }
        const std::filesystem::path target = asf ? draft->path() : staging;
        std::vector<AsfScriptCommand> commands;
        {
            MediaWriter writer;
            code = writer.open(target, plan.layout);
            if (code == kExportOk)
                code = FrameLoop(p, plan, writer).run(summary, commands);
            if (code == kExportOk)
                code = writer.finish();
            summary.audioSamples = writer.audioSamplesWritten();
        }
        if (code == kExportOk && asf) {
            AsfHeaderEdit edit;
            edit.markers = projectMarkers(*p.timeline);
            edit.commands = std::move(commands);
            edit.announceQc10 = p.kind == ExportKind::stream;
            code = editAsfHeader(draft->path(), staging, edit);
        }
        return code == kExportOk;
    });
    if (code == kExportOk && !written)
        code = kExportFailed;
    if (code != kExportOk)
        return code;
    std::error_code error;
    summary.bytes = std::filesystem::file_size(p.output, error);
    summary.width = plan.width;
    summary.height = plan.height;
    summary.streams = {streamLine(plan, p), "audio " + plan.layout.audio.encoder + " " +
                                                std::to_string(plan.layout.audio.sampleRate) + " Hz " +
                                                std::to_string(plan.layout.audio.channels) + " ch " +
                                                std::to_string(plan.layout.audio.bitRate) + " bit/s"};
    if (summaryOut)
        *summaryOut = summary;
    if (p.writePage) {
        const bool page = p.kind == ExportKind::mp4 ? writeHtml5Page(p.output, plan.width, plan.height)
                                                    : writeHtmlPage(p.output, plan.width, plan.height);
        if (!page)
            return kExportFailed;
    }
    return kExportOk;
}
