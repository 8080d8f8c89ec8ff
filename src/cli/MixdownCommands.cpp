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

// The clips go into the session's sound clip list, each under a name of its own (two clips may share
// a base name); the session deletes their working files when the command ends.
void addClips(ProjectSession& session, const std::vector<std::string>& options, const CliContext& context)
{
    TimelineData& timeline = session.timeline();
    for (const std::string& option : options) {
        const ClipOption clip = parseClip(option);
        const std::string name =
            std::to_string(session.store().soundClips().count()) + ":" + soundClipName(clip.path);
        CoreStatus status;
        if (!session.addSoundClip(clip.path, status, name))
            failWithStatus(context, status);
        const std::uint32_t endMs = std::min(clip.startMs + clip.lengthMs, kLongestMs);
        timeline.setSelection(std::int32_t(clip.startMs * 16), std::int32_t(endMs * 16));
        SoundItem* item = timeline.insertSound();
        if (!item)
            throw CliError("out of memory while placing clip " + clip.path);
        std::snprintf(item->name, sizeof item->name, "%s", name.c_str());
        item->volume = clip.volume;
    }
}

int runMixdown(CliArgs& args, CliContext& context)
{
    const std::vector<std::string> clipOptions = args.takeAll("--clip");
    const auto range = args.take("--range");
    const auto paths = args.positionals(2, 2);
    for (const std::string& option : clipOptions)
        parseClip(option); // refuse bad syntax before any conversion runs

    CliSession session(EditorMode::project);
    CoreStatus status;
    if (!session->importVoice(paths[0], status))
        failWithStatus(context, status);
    TimelineData& timeline = session->timeline();
    CWavVoiceReader reader;
    if (!timeline.openVoice(reader))
        throw CliError("cannot read voice " + paths[0]);
    timeline.closeVoice();
    addClips(*session, clipOptions, context);
    timeline.setSelection(0, 0);
    if (range)
        selectRange(timeline, *range);

    CEventSequencer schedule;
    const MediaFiles files = mediaFilesOf(session->store());
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
