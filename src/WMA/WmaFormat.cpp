#include "WMA/WmaFormat.h"

#include "WMA/WmaLayout.h"

namespace {

void put16(std::vector<std::uint8_t>& b, unsigned v)
{
    b.push_back(std::uint8_t(v & 0xFF));
    b.push_back(std::uint8_t((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

bool fail(std::string* why, const char* text)
{
    if (why)
        *why = text;
    return false;
}

} // namespace

bool makeWmaFormat(std::uint32_t sampleRate, int channels, std::uint32_t bitRate, WmaFormat& format,
                   std::string* why)
{
    if (sampleRate != 8000 && sampleRate != 11025 && sampleRate != 16000 && sampleRate != 22050)
        return fail(why, "the sample rate must be 8000, 11025, 16000 or 22050 Hz");
    if (channels < 1 || channels > 2)
        return fail(why, "only mono and stereo are supported");
    if (bitRate % 8 != 0)
        return fail(why, "the bit rate must be a whole number of bytes per second");
    const double perSample = double(bitRate) / (double(sampleRate) * channels);
    if (perSample < 0.5 || perSample > 4.0)
        return fail(why, "the bit rate must lie between 0.5 and 4 bits per sample and channel");
    format.sampleRate = sampleRate;
    format.channels = std::uint16_t(channels);
    format.bitRate = bitRate;
    // One frame's share of the rate, rounded; the bit reservoir absorbs the difference.
    const std::uint64_t frameLen = std::uint64_t(1) << wmaFrameLenBits(sampleRate);
    format.blockAlign =
        std::uint16_t((std::uint64_t(bitRate) * frameLen + 4ull * sampleRate) / (8ull * sampleRate));
    return true;
}

const std::vector<WmaFormat>& wmaFormatList()
{
    static const std::vector<WmaFormat> list = [] {
        const std::uint32_t rows[][3] = {
            {8000, 1, 8000},   {8000, 1, 12000},  {8000, 1, 16000},  {8000, 1, 24000},  {11025, 1, 9992},
            {11025, 1, 16000}, {11025, 1, 24000}, {16000, 1, 16000}, {16000, 1, 24000}, {16000, 1, 32000},
            {16000, 2, 32000}, {22050, 1, 32000}, {22050, 2, 32040},
        };
        std::vector<WmaFormat> out;
        for (const auto& r : rows) {
            WmaFormat f;
            if (makeWmaFormat(r[0], int(r[1]), r[2], f))
                out.push_back(f);
        }
        return out;
    }();
    return list;
}

std::vector<std::uint8_t> wmaExtraData()
{
    std::vector<std::uint8_t> b;
    put32(b, 0);
    put16(b, kWmaEncodeFlags);
    put32(b, 0);
    return b;
}

std::vector<std::uint8_t> wmaWaveFormat(const WmaFormat& format)
{
    std::vector<std::uint8_t> b;
    put16(b, kWmaV2FormatTag);
    put16(b, format.channels);
    put32(b, format.sampleRate);
    put32(b, format.avgBytesPerSec());
    put16(b, format.blockAlign);
    put16(b, 16);
    const std::vector<std::uint8_t> extra = wmaExtraData();
    put16(b, unsigned(extra.size()));
    b.insert(b.end(), extra.begin(), extra.end());
    return b;
}
