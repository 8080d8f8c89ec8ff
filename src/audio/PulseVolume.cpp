#include "audio/OutputVolume.h"
#include "audio/PulseServer.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <string>

namespace {

// One short synchronous conversation with the sound server per operation, as a mixer is opened and
// closed around every call; no server means failure at once (no autospawn).
class PulseConnection {
public:
    PulseConnection()
    {
        loop_ = pa_mainloop_new();
        if (!loop_)
            return;
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "Chattermask volume");
        if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) {
                ready_ = true;
                return;
            }
            if (!PA_CONTEXT_IS_GOOD(state) || pa_mainloop_iterate(loop_, 1, nullptr) < 0)
                return;
        }
    }
    ~PulseConnection()
    {
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_)
            pa_mainloop_free(loop_);
    }
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    bool ready() const { return ready_; }
    pa_context* context() { return context_; }

    // Runs the loop until the operation is done; false when it could not be started or failed.
    bool finish(pa_operation* operation)
    {
        if (!operation)
            return false;
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
            if (pa_mainloop_iterate(loop_, 1, nullptr) < 0)
                break;
        const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
        pa_operation_unref(operation);
        return done;
    }

private:
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool ready_ = false;
};

struct SinkState {
    bool found = false;
    bool success = false;
    std::string name;
    pa_cvolume volume{};
    int mute = 0;
};

bool readDefaultSink(PulseConnection& pulse, SinkState& sink)
{
    auto onSink = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
        auto* state = static_cast<SinkState*>(data);
        if (eol || !info)
            return;
        state->found = true;
        state->name = info->name;
        state->volume = info->volume;
        state->mute = info->mute;
    };
    // "@DEFAULT_SINK@" names whichever sink the server uses by default.
    return pulse.finish(pa_context_get_sink_info_by_name(pulse.context(), "@DEFAULT_SINK@", onSink, &sink)) &&
           sink.found;
}

void onSuccess(pa_context*, int success, void* data)
{
    static_cast<SinkState*>(data)->success = success != 0;
}

class PulseVolume final : public OutputVolume {
public:
    bool setVolume(int percent) override
    {
        PulseConnection pulse;
        SinkState sink;
        if (!pulse.ready() || !readDefaultSink(pulse, sink))
            return false;
        pa_cvolume volume = sink.volume;
        pa_cvolume_set(&volume, volume.channels, static_cast<pa_volume_t>(scaled(percent)));
        return pulse.finish(pa_context_set_sink_volume_by_name(pulse.context(), sink.name.c_str(), &volume,
                                                               onSuccess, &sink)) &&
               sink.success;
    }
    int volume() override
    {
        PulseConnection pulse;
        SinkState sink;
        if (!pulse.ready() || !readDefaultSink(pulse, sink))
            return 0;
        return static_cast<int>(std::min<pa_volume_t>(pa_cvolume_max(&sink.volume), kFullScale));
    }
    bool setMute(bool on) override
    {
        PulseConnection pulse;
        SinkState sink;
        if (!pulse.ready() || !readDefaultSink(pulse, sink))
            return false;
        return pulse.finish(pa_context_set_sink_mute_by_name(pulse.context(), sink.name.c_str(), on ? 1 : 0,
                                                             onSuccess, &sink)) &&
               sink.success;
    }
    bool mute() override
    {
        PulseConnection pulse;
        SinkState sink;
        return pulse.ready() && readDefaultSink(pulse, sink) && sink.mute != 0;
    }
};

} // namespace

bool soundServerAnswers()
{
    PulseConnection probe;
    return probe.ready();
}

std::unique_ptr<OutputVolume> makeSystemVolume()
{
    if (!soundServerAnswers())
        return makeNoMixerVolume();
    return std::make_unique<PulseVolume>();
}
