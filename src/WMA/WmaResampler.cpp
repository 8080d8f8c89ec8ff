#include "WMA/WmaResampler.h"

#include <algorithm>
#include <cmath>

std::vector<std::int16_t> wmaResample(const std::vector<std::int16_t>& in, int channels, int fromRate,
                                      int toRate)
{
    if (channels < 1 || fromRate <= 0 || toRate <= 0)
        return {};
    const std::int64_t frames = std::int64_t(in.size()) / channels;
    if (fromRate == toRate)
        return std::vector<std::int16_t>(in.begin(), in.begin() + frames * channels);
    const std::int64_t outFrames = (frames * toRate + fromRate / 2) / fromRate;
    const double step = double(fromRate) / toRate;
    const double cutoff = 0.92 * std::min(1.0, double(toRate) / fromRate); // of the input Nyquist
    const int half = int(std::ceil(16.0 / cutoff));                        // taps each side
    const double pi = std::acos(-1.0);
    std::vector<std::int16_t> out(std::size_t(outFrames * channels));
    std::vector<double> taps(std::size_t(2 * half + 1));
    for (std::int64_t i = 0; i < outFrames; ++i) {
        const double t = double(i) * step;
        const std::int64_t centre = std::int64_t(std::floor(t));
        double sum = 0;
        for (int k = -half; k <= half; ++k) {
            const double x = double(centre + k) - t;
            const double arg = pi * cutoff * x;
            const double sinc = std::fabs(arg) < 1e-9 ? 1.0 : std::sin(arg) / arg;
            const double w = std::fabs(x) >= half ? 0.0 : 0.5 + 0.5 * std::cos(pi * x / half);
            taps[std::size_t(k + half)] = cutoff * sinc * w;
            sum += taps[std::size_t(k + half)];
        }
        for (int c = 0; c < channels; ++c) {
            double acc = 0;
            for (int k = -half; k <= half; ++k) {
                const std::int64_t at = centre + k;
                if (at >= 0 && at < frames)
                    acc += taps[std::size_t(k + half)] * in[std::size_t(at * channels + c)];
            }
            // Normalised by the taps' sum so that a constant stays constant at every phase.
            const double v = sum > 0 ? acc / sum : acc;
            out[std::size_t(i * channels + c)] = std::int16_t(std::clamp(std::lround(v), -32768l, 32767l));
        }
    }
    return out;
}
