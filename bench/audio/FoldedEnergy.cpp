// How much of what lies above 8 kHz folds back into the 16 kHz working copy, and how cleanly the band
// below passes, for the plain picking resampler and for the anti-alias decimator, side by side.
// Run by hand: build/release/bin/folded_energy (no arguments; prints one table).
// Folded energy: a linear sweep from 8 kHz to just under the source's Nyquist frequency goes in, and
// the output's energy is given relative to the input's; ideally nothing comes out. Tone error: a tone
// goes in, the best-fitting sine (any gain and phase) is taken out of the output, and what is left is
// given relative to the output; it shows folding and the timing jitter of picked positions.
#include "audio/AntiAliasDecimator.h"
#include "audio/VoiceConversion.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr double kSeconds = 20.0;
constexpr double kAmplitude = 0.5 * 32767.0;

std::vector<std::int16_t> sweep(double rate, double from, double to)
{
    std::vector<std::int16_t> out(std::size_t(rate * kSeconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / rate;
        const double phase = 2.0 * std::numbers::pi * (from * t + (to - from) * t * t / (2.0 * kSeconds));
        out[i] = std::int16_t(std::lround(kAmplitude * std::sin(phase)));
    }
    return out;
}

std::vector<std::int16_t> tone(double rate, double frequency)
{
    return sweep(rate, frequency, frequency);
}

std::vector<std::int16_t> plain(const std::vector<std::int16_t>& in, std::uint32_t rate)
{
    std::vector<std::int16_t> out;
    resampleBlock(in, resampleRatio(rate), out);
    return out;
}

std::vector<std::int16_t> filtered(const std::vector<std::int16_t>& in, std::uint32_t rate)
{
    const CAntiAliasDecimator decimator(rate);
    std::vector<std::int16_t> window(decimator.reach(), in.front());
    window.insert(window.end(), in.begin(), in.end());
    window.insert(window.end(), decimator.reach(), in.back());
    std::vector<std::int16_t> out;
    decimator.decimate(window.data(), in.size(), resampleRatio(rate), out);
    return out;
}

// Mean square, leaving out the first and last 0.1 s of the output (`edge` samples), where the sweep
// starts and stops abruptly: a cut-off sine is not a signal above the band.
double energy(const std::vector<std::int16_t>& samples, std::size_t edge = 0)
{
    double sum = 0.0;
    for (std::size_t i = edge; i + edge < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    return sum / double(samples.size() - 2 * edge);
}

double decibels(double ratio)
{
    return 10.0 * std::log10(std::max(ratio, 1e-30));
}

// Residual after removing the least-squares sine of `frequency`, relative to the output, in dB; the
// first and last 0.1 s are left out so that the stream's edges do not count.
double toneError(const std::vector<std::int16_t>& out, double frequency)
{
    const std::size_t edge = 1600;
    double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0, yy = 0;
    for (std::size_t i = edge; i + edge < out.size(); ++i) {
        const double w = 2.0 * std::numbers::pi * frequency * double(i) / 16000.0;
        const double s = std::sin(w), c = std::cos(w), y = out[i];
        ss += s * s, cc += c * c, sc += s * c, ys += y * s, yc += y * c, yy += y * y;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
    const double fit = a * ys + b * yc;
    return decibels((yy - fit) / yy);
}

} // namespace

int main()
{
    std::printf("%-7s | %-26s | %-26s | %-26s\n", "rate", "folded energy (8k-Nyq sweep)", "1 kHz tone error",
                "5 kHz tone error");
    std::printf("%-7s | %12s %13s | %12s %13s | %12s %13s\n", "", "plain", "filtered", "plain", "filtered",
                "plain", "filtered");
    for (const std::uint32_t rate : {22050u, 24000u, 32000u, 44100u, 48000u, 96000u}) {
        const auto high = sweep(rate, 8000.0, rate / 2.0 * 0.995);
        const double in = energy(high);
        const auto one = tone(rate, 1000.0);
        const auto five = tone(rate, 5000.0);
        std::printf("%-7u | %9.1f dB %10.1f dB | %9.1f dB %10.1f dB | %9.1f dB %10.1f dB\n", rate,
                    decibels(energy(plain(high, rate), 1600) / in),
                    decibels(energy(filtered(high, rate), 1600) / in), toneError(plain(one, rate), 1000.0),
                    toneError(filtered(one, rate), 1000.0), toneError(plain(five, rate), 5000.0),
                    toneError(filtered(five, rate), 5000.0));
    }
    return 0;
}
