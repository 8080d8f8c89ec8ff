#include "LongProject.h"

#include "audio/WavFile.h"
#include "documents/ProjectFile.h"
#include "documents/StreamProjectInputs.h"
#include "documents/TimelineItemFiles.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "session/MediaExport.h"
#include "timeline/WavVoiceReader.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

bool LongProject::open(const std::filesystem::path& bin, double minutes, const std::filesystem::path& folder)
{
    DocumentStatus status;
    if (!loadProject(store, bin / "Default" / "Male.cmx", kLoadAll, status))
        return false;
    loadTimelineFromStore(store, timeline);
    head = headModelOf(store);
    if (!head)
        return false;
    CSoftRenderer view;
    view.create(head.get(), 0);
    headview::attachWithNormalise(view, *head);
    files = mediaFilesOf(store);
    CWavVoiceReader reader;
    if (!timeline.openVoice(reader))
        return false;
    const std::vector<std::uint8_t> voice = timeline.readSamples(std::size_t(timeline.sampleCount()) * 2);
    timeline.closeVoice();
    const auto wanted = std::uint32_t(minutes * 60 * 16000);
    CWavWriter wav;
    if (voice.empty() || wav.create(folder / "long.wav", voiceFormat()) != 0)
        return false;
    for (std::uint32_t written = 0; written < wanted;) {
        const std::uint32_t step = std::min<std::uint32_t>(wanted - written, std::uint32_t(voice.size() / 2));
        wav.write(voice.data(), step * 2);
        written += step;
    }
    wav.finish(wanted);
    return timeline.setVoice(folder / "long.wav", std::int32_t(wanted));
}

ExportParameters LongProject::exportParameters(const std::filesystem::path& output, ExportKind kind,
                                               const std::filesystem::path& bin, std::uint32_t blinkSeed)
{
    ExportParameters p;
    p.output = output;
    p.kind = kind;
    p.head = head.get();
    p.timeline = &timeline;
    p.expressionsFolder = bin / "Expressions";
    p.pictures = exportPictures(store);
    p.fill = [this, blinkSeed](CFapMixer& mixer, CEventSequencer& schedule) {
        fillPlayback(timeline, files, mixer, schedule, wholeVoiceRange(timeline), seededBlinkRandom(blinkSeed));
    };
    return p;
}

double processCpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

double commandCpuSeconds(const std::string& command)
{
    const auto times = std::filesystem::temp_directory_path() / "bench_command_time";
    const std::string timed = "/usr/bin/time -f %U+%S -o " + times.string() + " " + command + " > /dev/null";
    if (std::system(timed.c_str()) != 0)
        return -1;
    std::ifstream in(times);
    double user = 0, system = 0;
    char plus = 0;
    in >> user >> plus >> system;
    return user + system;
}
