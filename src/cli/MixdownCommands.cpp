// Mixdown: a voice with sound clips laid over it, written the way the preview prepares its sound.
#include "cli/CliCommand.h"
#include "cli/WavOutput.h"
#include "cli/DocCommandSupport.h"

#include "audio/SoundClip.h"
#include "Common/TempFile.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineMix.h"
#include "timeline/WavVoiceReader.h"

#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct ClipOption {
    std::string path;
    std::int32_t volume;
    std::uint32_t startMs;
    std::uint32_t lengthMs;
};

// Milliseconds that still fit the timeline once multiplied by 16 samples.
constexpr std::uint32_t kLongestMs = 0x7FFFFFFF / 16;

std::uint32_t parseWhole(const std::string& text, std::uint32_t limit, const std::string& option,
                         const std::string& whole)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoull(text) > limit)
        throw CliError("bad " + option + " '" + whole + "': expected a whole number from 0 to " +
                       std::to_string(limit));
    return std::uint32_t(std::stoull(text));
}

// PATH:VOLUME:START_MS:LENGTH_MS, split from the right so the path may hold colons itself.
ClipOption parseClip(const std::string& text)
{
    std::vector<std::string> fields;
    std::string rest = text;
    for (int i = 0; i < 3; ++i) {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string::npos || colon == 0)
            throw CliError("bad --clip '" + text + "': expected PATH:VOLUME:START_MS:LENGTH_MS");
        fields.insert(fields.begin(), rest.substr(colon + 1));
        rest.erase(colon);
    }
    ClipOption clip{rest, std::int32_t(parseWhole(fields[0], 100, "--clip VOLUME", text)),
                    parseWhole(fields[1], kLongestMs, "--clip START_MS", text),
                    parseWhole(fields[2], kLongestMs, "--clip LENGTH_MS", text)};
    if (clip.lengthMs == 0)
        throw CliError("bad --clip '" + text + "': LENGTH_MS must be above 0");
    return clip;
}

void selectRange(TimelineData& timeline, const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw CliError("bad --range '" + text + "': expected FROM_MS:TO_MS");
    const std::uint32_t from = parseWhole(text.substr(0, colon), kLongestMs, "--range FROM_MS", text);
    const std::uint32_t to = parseWhole(text.substr(colon + 1), kLongestMs, "--range TO_MS", text);
    if (to <= from)
        throw CliError("bad --range '" + text + "': TO_MS must be after FROM_MS");
    if (std::int64_t(from) * 16 >= timeline.sampleCount())
        throw CliError("--range '" + text + "' starts after the voice ends");
    timeline.setSelection(std::int32_t(from * 16), std::int32_t(to * 16));
}

// Clips converted for the schedule; their working files go when the command ends.
class ClipFiles {
public:
    ~ClipFiles()
    {
        std::error_code ignored;
        for (const auto& [name, path] : files_)
            std::filesystem::remove(path, ignored);
    }
    std::string add(const ClipOption& clip)
    {
        SoundClipEntry entry;
        if (const int code = prepareSoundClip(clip.path, entry); code != kWavOk)
            throw CliError("cannot convert clip " + clip.path + ": result " + wavResultLine(code));
        // Two clips may share a base name; the schedule finds each by a name of its own.
        const std::string name = std::to_string(files_.size()) + ":" + entry.name;
        files_[name] = entry.file;
        return name;
    }
    std::optional<std::filesystem::path> find(const std::string& name) const
    {
        const auto it = files_.find(name);
        return it == files_.end() ? std::nullopt : std::optional(it->second);
    }

private:
    std::map<std::string, std::filesystem::path> files_;
};

void loadVoice(TimelineData& timeline, const std::string& path)
{
    CWavReader probe;
    int code = probe.open(path);
    if (code == kWavOk)
        code = probe.startData();
    std::optional<ScopedTempFile> converted;
    std::filesystem::path voice = path;
    if (code == kWavOk && !isVoiceFormat(probe.format())) {
        converted.emplace("wav");
        code = converted->valid() ? convertVoice(converted->path(), path) : kWavCannotWrite;
        voice = converted->path();
    }
    probe.close();
    if (code != kWavOk)
        throw CliError("cannot read voice " + path + ": result " + wavResultLine(code));
    if (!timeline.setVoice(voice, 0))
        throw CliError("cannot copy voice " + path + " to a working file");
}

void addClips(TimelineData& timeline, ClipFiles& files, const std::vector<std::string>& options)
{
    for (const std::string& option : options) {
        const ClipOption clip = parseClip(option);
        const std::string name = files.add(clip);
        const std::uint32_t endMs = std::min(clip.startMs + clip.lengthMs, kLongestMs);
        timeline.setSelection(std::int32_t(clip.startMs * 16), std::int32_t(endMs * 16));
        SoundItem* item = timeline.insertSound();
        if (!item)
            throw CliError("out of memory while placing clip " + clip.path);
        std::snprintf(item->name, sizeof item->name, "%s", name.c_str());
        item->volume = clip.volume;
    }
}

int runMixdown(CliArgs& args, CliContext&)
{
    const std::vector<std::string> clipOptions = args.takeAll("--clip");
    const auto range = args.take("--range");
    const auto paths = args.positionals(2, 2);
    for (const std::string& option : clipOptions)
        parseClip(option); // refuse bad syntax before any conversion runs

    TimelineData timeline;
    loadVoice(timeline, paths[0]);
    CWavVoiceReader reader;
    if (!timeline.openVoice(reader))
        throw CliError("cannot read voice " + paths[0]);
    timeline.closeVoice();
    ClipFiles clips;
    addClips(timeline, clips, clipOptions);
    timeline.setSelection(0, 0);
    if (range)
        selectRange(timeline, *range);

    CEventSequencer schedule;
    const MediaFiles files{[&clips](const std::string& name) { return clips.find(name); }, {}};
    scheduleMedia(timeline, files, schedule, selectionRange(timeline));
    writeWavInPlace(paths[1], "cannot mix " + paths[0],
                    [&](const std::filesystem::path& staging, const WavProgress& progress) {
                        return prepareTimelineMix(timeline, reader, schedule, staging, progress);
                    });
    return 0;
}

const CliRegistration kMixdown("mixdown",
                               "mixdown VOICE.wav OUT.wav [--clip PATH:VOLUME:START_MS:LENGTH_MS]... "
                               "[--range FROM_MS:TO_MS]",
                               runMixdown);

} // namespace
