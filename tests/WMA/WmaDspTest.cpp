// The transform against its defining sum, and the resampler's length, pass band and stop band.
#include "WMA/WmaMdct.h"
#include "WMA/WmaResampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>

namespace {

TEST(WmaMdct, MatchesTheDefiningSum)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1, 1);
    for (int n : {4, 16, 128, 512, 1024}) {
        std::vector<float> in(static_cast<std::size_t>(2 * n)), out(static_cast<std::size_t>(n));
        for (float& v : in)
            v = u(rng);
        WmaMdct mdct(n);
        mdct.forward(in.data(), out.data());
        const double pi = std::acos(-1.0);
        double worst = 0;
        for (int k = 0; k < n; ++k) {
            double sum = 0;
            for (int i = 0; i < 2 * n; ++i)
                sum += in[std::size_t(i)] * std::cos(pi / n * (i + 0.5 + n / 2.0) * (k + 0.5));
            worst = std::max(worst, std::fabs(sum - out[std::size_t(k)]));
        }
        EXPECT_LT(worst, 1e-3 * std::sqrt(double(n))) << n;
    }
}

double toneLevel(const std::vector<std::int16_t>& x, int channels, int channel, int rate, double hz)
{
    std::complex<double> acc = 0;
    const std::size_t frames = x.size() / std::size_t(channels);
    const double pi = std::acos(-1.0);
    for (std::size_t i = frames / 4; i < 3 * frames / 4; ++i)
        acc += double(x[i * std::size_t(channels) + std::size_t(channel)]) *
               std::polar(1.0, -2 * pi * hz * double(i) / rate);
    return 2 * std::abs(acc) / double(frames / 2);
}

TEST(WmaResampler, KeepsThePassBandAndStopsAliases)
{
    const struct {
        int from, to, channels;
        double hz;
        bool passes;
    } rows[] = {
        {22050, 8000, 1, 1000, true}, {22050, 8000, 1, 6000, false},  {44100, 11025, 2, 3000, true},
        {8000, 16000, 1, 1500, true}, {48000, 16000, 2, 9000, false}, {16000, 16000, 1, 440, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.from) + " -> " + std::to_string(r.to) + " at " + std::to_string(r.hz));
        const int frames = r.from; // one second
        std::vector<std::int16_t> in(std::size_t(frames * r.channels));
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < r.channels; ++c)
                in[std::size_t(i * r.channels + c)] =
                    std::int16_t(10000 * std::sin(2 * std::acos(-1.0) * r.hz * i / r.from + c));
        const std::vector<std::int16_t> out = wmaResample(in, r.channels, r.from, r.to);
        ASSERT_EQ(out.size(), std::size_t(r.to * r.channels));
        for (int c = 0; c < r.channels; ++c) {
            const double alias = std::fabs(r.hz - r.to * std::round(r.hz / r.to));
            const double level = toneLevel(out, r.channels, c, r.to, r.passes ? r.hz : alias);
            if (r.passes)
                EXPECT_NEAR(level, 10000, 10000 * 0.06);
            else
                EXPECT_LT(level, 10000 * 0.01); // 40 dB down
        }
    }
    EXPECT_TRUE(wmaResample({1, 2, 3}, 1, 0, 8000).empty());
    EXPECT_TRUE(wmaResample({1, 2, 3}, 0, 8000, 8000).empty());
}

} // namespace
