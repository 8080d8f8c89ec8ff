#pragma once

#include <array>
#include <cstdint>

// Linear prediction helpers shared by the active and the silence coder. Predictor polynomials are
// stored as A(z) = 1 + sum a[i] z^-(i+1); LSPs are in the coder's integer scale (32768 = pi).
namespace cm::g723 {

inline constexpr int kOrder = 10;
using Lpc = std::array<float, kOrder>;
using LspQ = std::array<int, kOrder>;
using LspF = std::array<float, kOrder>;
using Autocorr = std::array<double, kOrder + 1>;

// Windowed autocorrelation of 180 samples with white-noise correction and lag window.
Autocorr windowedAutocorr(const float* samples);
// Levinson-Durbin recursion; stops early (keeping the stable part) on an ill-conditioned input.
Lpc levinson(const Autocorr& r);
// LSPs of the bandwidth-expanded predictor; false when fewer than ten roots were found.
bool lpcToLsp(const Lpc& lpc, LspF& lsp);
// Predictor of an LSP vector.
Lpc lspToLpc(const LspQ& lsp);

// Split-VQ indices of an LSP vector predicted from the previous decoded one.
std::array<int, 3> quantizeLsp(const LspF& lsp, const LspQ& prevDecoded);
// Decoded LSP vector exactly as a decoder forms it (prediction, ordering and spacing repair).
LspQ decodeLsp(const std::array<int, 3>& index, const LspQ& prevDecoded);
// Decoder's per-subframe interpolation between the previous and the current LSP vector.
LspQ interpolateLsp(const LspQ& prev, const LspQ& cur, int subframe);
// Initial and reset value of the decoded LSP memory.
LspQ dcLsp();

} // namespace cm::g723
