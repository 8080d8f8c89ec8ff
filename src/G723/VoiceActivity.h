#pragma once

namespace cm::g723 {

// Frame-level voice activity decision from the energy of the high-passed input against a tracked
// noise floor, with a hangover so that word endings and short pauses stay active.
class VoiceActivity {
public:
    void reset();
    // meanSquare: mean square of the frame's filtered samples. True when the frame carries voice.
    bool decide(double meanSquare);

private:
    bool started_ = false;
    double noiseDb_ = 0;
    int hangover_ = 0;
};

} // namespace cm::g723
