// Linear prediction helpers: conversions, the decoder-side LSP rules and the quantiser.
#include "G723/LpcTools.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace cm::g723;

namespace {

Lpc fromReflections(const std::vector<double>& k)
{
    std::vector<double> a;
    for (double ki : k) {
        std::vector<double> next(a.size() + 1);
        for (std::size_t j = 0; j < a.size(); ++j)
            next[j] = a[j] + ki * a[a.size() - 1 - j];
        next[a.size()] = ki;
        a = next;
    }
    Lpc out{};
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = float(a[i]);
    return out;
}

TEST(G723Lpc, MeanLspGivesTheKnownPredictor)
{
    // Worked out independently from the product form of the two LSP polynomials.
    const double expected[kOrder] = {-0.830, 0.511,  -0.510, 0.461,  -0.356,
                                     0.394,  -0.231, 0.265,  -0.174, 0.128};
    Lpc a = lspToLpc(dcLsp());
    for (int i = 0; i < kOrder; ++i)
        EXPECT_NEAR(a[i], expected[i], 2e-3) << i;
}

TEST(G723Lpc, LspRoundTripKeepsTheExpandedPredictor)
{
    const std::vector<std::vector<double>> reflections = {
        {-0.9, 0.5, -0.3, 0.2, -0.1, 0.1, 0, 0, 0, 0},
        {-0.99, 0.9, -0.5, 0.4, -0.3, 0.2, -0.2, 0.1, -0.1, 0.05},
        {0.5, 0.2, 0.1, 0, 0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& k : reflections) {
        Lpc a = fromReflections(k);
        LspF lsp{};
        ASSERT_TRUE(lpcToLsp(a, lsp));
        LspQ rounded{};
        for (int i = 0; i < kOrder; ++i) {
            rounded[i] = int(std::lround(lsp[i]));
            if (i > 0) {
                EXPECT_GT(lsp[i], lsp[i - 1]);
            }
        }
        Lpc back = lspToLpc(rounded);
        for (int i = 0; i < kOrder; ++i)
            EXPECT_NEAR(back[i], a[i] * std::pow(0.994, i + 1), 5e-3) << i;
    }
}

TEST(G723Lpc, LevinsonSurvivesDegenerateInput)
{
    Autocorr zero{};
    Lpc a = levinson(zero);
    for (float v : a)
        EXPECT_EQ(v, 0.0f);
    Autocorr dc{};
    dc.fill(1.0); // a constant signal: perfectly predictable, recursion must stop, not blow up
    for (float v : levinson(dc))
        EXPECT_TRUE(std::isfinite(v));
}

TEST(G723Lpc, DecodedLspIsOrderedAndSpaced)
{
    const std::array<std::array<int, 3>, 4> indices = {
        {{0, 0, 0}, {255, 255, 255}, {12, 200, 77}, {130, 3, 250}}};
    LspQ prev = dcLsp();
    for (const auto& idx : indices) {
        LspQ cur = decodeLsp(idx, prev);
        EXPECT_GE(cur[0], 0x180);
        EXPECT_LE(cur[kOrder - 1], 0x7e00);
        for (int i = 1; i < kOrder; ++i)
            EXPECT_GE(cur[i] - cur[i - 1], 0x100 - 4);
        prev = cur;
    }
}

TEST(G723Lpc, InterpolationMovesInQuarters)
{
    LspQ prev{}, cur{};
    for (int i = 0; i < kOrder; ++i) {
        prev[i] = 1000 * (i + 1);
        cur[i] = prev[i] + 400;
    }
    const int expectedShift[4] = {100, 200, 300, 400};
    for (int sub = 0; sub < 4; ++sub)
        EXPECT_EQ(interpolateLsp(prev, cur, sub)[3], prev[3] + expectedShift[sub]) << sub;
}

TEST(G723Lpc, QuantiserLandsNearTheTarget)
{
    LspQ prev = dcLsp();
    LspF target{};
    for (int i = 0; i < kOrder; ++i)
        target[i] = float(prev[i] + 300 * std::sin(i));
    LspQ decoded = decodeLsp(quantizeLsp(target, prev), prev);
    double err = 0;
    for (int i = 0; i < kOrder; ++i)
        err += std::fabs(decoded[i] - target[i]);
    EXPECT_LT(err / kOrder, 150.0);
}

} // namespace
