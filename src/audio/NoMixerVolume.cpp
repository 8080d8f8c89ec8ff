#include "audio/OutputVolume.h"

namespace {

class NoMixerVolume final : public OutputVolume {
public:
    bool setVolume(int) override { return false; }
    int volume() override { return 0; }
    bool setMute(bool) override { return false; }
    bool mute() override { return false; }
};

} // namespace

std::unique_ptr<OutputVolume> makeNoMixerVolume()
{
    return std::make_unique<NoMixerVolume>();
}
