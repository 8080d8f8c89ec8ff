#pragma once

// The plan of one block while it is being coded; private to the encoder's sources.
#include "WMA/CWmaEncoder.h"

#include <vector>

struct CWmaEncoder::ChannelBlock {
    std::vector<float> coefs;     // transform output in the decoder's coefficient units
    std::vector<float> bandPower; // mean square per exponent band
    std::vector<int> exps;        // exponent per band (sent when the block sends exponents)
    std::vector<float> relStep;   // exponent / largest exponent, per coefficient
    float maxExp = 1;
    std::vector<char> noise;    // per high band: replaced by noise
    std::vector<int> noiseGain; // per noise band, in dB as sent
    std::vector<int> coded;     // coefficient positions carried by run-level codes
    std::vector<int> levels;    // signed levels of `coded`
    int padEscapes = 0;         // zero-level escapes after the last level, to pad the frame
};

struct CWmaEncoder::BlockPlan {
    int size = 0; // size index: frameLen >> size coefficients
    int pos = 0;  // first sample in the frame
    int prev = 0;
    int next = 0;
    bool ms = false;
    bool sendExps = true;
    int gain = 1;
    ChannelBlock ch[2];
};
