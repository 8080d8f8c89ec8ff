// Plays a project in real time as the preview does, with no window: the same player, the same sound
// output and the same voice clock, for checking and measuring playback on a machine without a screen.
#include "cli/CliCommand.h"
#include "cli/ConsoleProgress.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"

#include "animation/CAnimPlayer.h"
#include "animation/PlaybackMeter.h"
#include "Common/ContentRoot.h"
#include "Common/TempFile.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "documents/TimelineItemFiles.h"
#include "face/CHeadModel.h"
#include "face/FapTables.h"
#include "images/PngFile.h"
#include "session/TimelinePlayback.h"
#include "timeline/WavVoiceReader.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

namespace {

const char* const kUsage =
    "play PROJECT.cmp [--range FROM:TO (samples)] [--gl] [--frames DIR] [--seed N] [--json]";
constexpr int kMessagePlayFailed = 59429;
constexpr int kInterruptedStatus = 130;

struct Frame {
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
};

// The frames of the playback, numbered from 0, written to the folder by the main thread so that the
// player's thread only copies. Idle redraws before and after the play are not kept.
class FrameFolder {
public:
    explicit FrameFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Player's thread: every drawn frame, then for a playback frame the note that it belongs.
    void drawn(const std::uint32_t* pixels, int width, int height)
    {
        std::lock_guard guard(lock_);
        latest_.pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
        latest_.width = width;
        latest_.height = height;
    }
    void played()
    {
        std::lock_guard guard(lock_);
        if (latest_.width > 0)
            queue_.push_back(std::move(latest_));
        latest_ = Frame{};
    }
    // Main thread. False when a file could not be written.
    bool writeWaiting()
    {
        for (;;) {
            Frame frame;
            {
                std::lock_guard guard(lock_);
                if (queue_.empty())
                    return true;
                frame = std::move(queue_.front());
                queue_.pop_front();
            }
            char name[32];
            std::snprintf(name, sizeof name, "frame_%05d.png", written_++);
            if (!writePngOpaque((folder_ / name).string(), frame.pixels.data(), frame.width, frame.height,
                                true))
                return false;
        }
    }

private:
    std::filesystem::path folder_;
    std::mutex lock_;
    Frame latest_;
    std::deque<Frame> queue_;
    int written_ = 0;
};

double rounded(double value)
{
    return std::round(value * 100.0) / 100.0;
}

void writeFigures(std::ostream& out, const PlaybackFigures& figures, bool device)
{
    JsonWriter writer(out);
    writer.beginObject()
        .field("frames", figures.frames)
        .field("duration_ms", static_cast<long long>(figures.durationMs))
        .key("interval_ms")
        .beginObject()
        .field("mean", rounded(figures.intervalMeanMs))
        .field("p99", rounded(figures.intervalP99Ms))
        .endObject()
        .field("lateness_ms_p99", rounded(figures.latenessP99Ms))
        .field("clock_offset_ms_max", rounded(figures.clockOffsetMaxMs))
        .field("audio", device ? "device" : "silent")
        .endObject();
}

std::uint32_t takeSeed(CliArgs& args)
{
    const auto text = args.take("--seed");
    if (!text)
        return std::random_device{}();
    const auto seed = parseWhole(*text, UINT32_MAX);
    if (!seed)
        throw CliError("bad --seed '" + *text + "': expected a whole number from 0 to " +
                       std::to_string(UINT32_MAX));
    return *seed;
}

// Runs the event loop of this tool while the player plays: frames to files, Ctrl+C to a stop.
bool waitForTheEnd(CAnimPlayer& player, FrameFolder* frames, const CliContext& context)
{
    ConsoleProgress console;
    bool interrupted = false;
    while (player.isPlaying()) {
        if (!interrupted && console.interrupted()) {
            interrupted = true;
            player.stop();
        }
        if (frames && !frames->writeWaiting())
            context.err << "warning: a frame could not be written\n";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (frames && !frames->writeWaiting())
        context.err << "warning: a frame could not be written\n";
    return interrupted;
}

int runPlay(CliArgs& args, CliContext& context)
{
    const bool json = args.flag("--json");
    const bool openGl = args.flag("--gl");
    const auto range = args.take("--range");
    const auto framesFolder = args.take("--frames");
    const std::uint32_t seed = takeSeed(args);
    const std::string path = args.positionals(1, 1)[0];

    requireFile(context, path);
    ProjectStore store;
    TimelineData timeline;
    DocumentStatus status;
    if (!loadProject(store, path, kLoadAll, status))
        failWithStatus(context, status);
    loadTimelineFromStore(store, timeline);
    if (timeline.sampleCount() <= 0 || timeline.voiceFile().empty())
        throw CliError("the project " + path + " has no voice to play");
    timeline.setSelection(0, 0);
    if (range)
        selectSampleRange(timeline, *range);
    std::unique_ptr<CHeadModel> head = preparedHeadOf(store, path);
    head->saveToSet(1);

    std::unique_ptr<FrameFolder> frames;
    if (framesFolder) {
        std::error_code error;
        std::filesystem::create_directories(*framesFolder, error);
        if (!std::filesystem::is_directory(*framesFolder))
            throw CliError("cannot make the folder " + *framesFolder);
        frames = std::make_unique<FrameFolder>(*framesFolder);
    }

    PlaybackMeter meter;
    auto choice = std::make_shared<PlayerRendererChoice>();
    AnimPlayerSetup setup;
    setup.makeRenderer = chosenPlayerRenderer(openGl, 0, choice);
    setup.expressionRows = loadExpressionRows(contentRoot() / "Expressions");
    if (frames)
        setup.onFrame = [&frames](const std::uint32_t* pixels, int width, int height) {
            frames->drawn(pixels, width, height);
        };
    setup.onPlaybackFrame = [&meter, &frames](const PlaybackFrame& frame) {
        meter.frameDrawn(frame);
        if (frames)
            frames->played();
    };
    CAnimPlayer player(std::move(setup));
    player.started().wait();
    if (!choice->fallbackReason.empty())
        context.err << "warning: OpenGL drawing is not available (" << choice->fallbackReason
                    << "); playing with the software renderer\n";
    player.setModel(head.get());

    ScopedTempFile mixFile("wav");
    CWavVoiceReader voiceReader;
    TimelinePlayInputs inputs;
    inputs.files = mediaFilesOf(store);
    inputs.blinks = seededBlinkRandom(seed);
    inputs.voiceReader = &voiceReader;
    inputs.mixFile = mixFile.valid() ? mixFile.path() : std::filesystem::path();
    inputs.sink = makePulseSink();
    const bool device = inputs.sink != nullptr;
    std::unique_ptr<CStreamPlayer> sound;
    const int begin = static_cast<int>(selectionRange(timeline).startMs);
    // The sound output exists before the player's thread first reads it: play starts after it is made.
    meter.setSoundTime([&sound, begin] { return begin + sound->position(); });
    if (startTimelinePlay(player, timeline, std::move(inputs), sound) != TimelinePlayStart::started)
        failWithMessage(context, kMessagePlayFailed);

    const bool interrupted = waitForTheEnd(player, frames.get(), context);
    player.stop();
    if (json)
        writeFigures(context.out, meter.figures(), device);
    else
        context.out << "played " << meter.figures().frames << " frames\n";
    return interrupted ? kInterruptedStatus : 0;
}

const CliRegistration kPlay("play", kUsage, runPlay);

} // namespace
