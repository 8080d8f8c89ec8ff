#include "export/StockProfiles.h"

namespace {

constexpr std::array<StockProfile, kStockProfileCount> kRows = {{
    {"28.8 Video - Voice", kAcelpTag, 4928, 8000, 1, 37, 14410, 128, 128, 15, 8},
    {"28.8 Video - Audio Emphasis", kWmaVersion2Tag, 8000, 8000, 1, 37, 11338, 128, 128, 15, 8},
    {"56 Dial-up Modem Video", kWmaVersion2Tag, 9992, 11025, 1, 58, 24016, 128, 128, 15, 8},
    {"56 Dial-up Video for Web Server", kWmaVersion2Tag, 9992, 11025, 1, 58, 21006, 128, 128, 15, 8},
    {"100 Video", kWmaVersion2Tag, 16000, 16000, 1, 64, 80680, 256, 256, 15, 8},
    {"250 Video", kWmaVersion2Tag, 32040, 22050, 2, 186, 216200, 256, 256, 30, 4},
    {"512 Video", kWmaVersion2Tag, 64080, 44100, 2, 372, 452488, 256, 256, 30, 3},
    {"1Mb Video", kWmaVersion2Tag, 64080, 44100, 2, 372, 976776, 256, 256, 30, 2},
    {"3Mb Video", kWmaVersion2Tag, 64080, 44100, 2, 372, 3041928, 256, 256, 30, 2},
}};

} // namespace

const std::array<StockProfile, kStockProfileCount>& stockProfiles()
{
    return kRows;
}

const StockProfile* stockProfile(int index)
{
    return index >= 0 && index < kStockProfileCount ? &kRows[std::size_t(index)] : nullptr;
}

StockProfile animationStreamProfile(std::int32_t framesPerSecond)
{
    return {"Animation Stream",
            kWmaVersion2Tag,
            8000,
            8000,
            1,
            0,
            896 * framesPerSecond,
            256,
            256,
            framesPerSecond,
            0};
}
