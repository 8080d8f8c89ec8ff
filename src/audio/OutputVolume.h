#pragma once

#include <memory>

// The speakers' volume and mute of the system mixer. Volumes read back are 0 to 65535; set takes 0 to
// 100 and scales it by 65535 / 100. Without a mixer every operation does nothing and reports failure.
class OutputVolume {
public:
    static constexpr int kFullScale = 65535;

    virtual ~OutputVolume() = default;
    virtual bool setVolume(int percent) = 0;
    // The larger of the speakers' and the program's own volume; 0 without a mixer.
    virtual int volume() = 0;
    virtual bool setMute(bool on) = 0;
    virtual bool mute() = 0;

    static int scaled(int percent)
    {
        return (percent < 0 ? 0 : percent > 100 ? 100 : percent) * kFullScale / 100;
    }
};

// The default sink of the sound server; the no-mixer stand-in when no server answers.
std::unique_ptr<OutputVolume> makeSystemVolume();
// The stand-in for a system without a mixer.
std::unique_ptr<OutputVolume> makeNoMixerVolume();
