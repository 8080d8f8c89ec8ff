#include "WMA/WmaMdct.h"

#include <cmath>

WmaMdct::WmaMdct(int n) : n_(n), folded_(std::size_t(n)), work_(std::size_t(n / 2))
{
    const int m = n / 2;
    const double pi = std::acos(-1.0);
    for (int j = 0; j < m; ++j) {
        twiddle_.emplace_back(float(std::cos(pi * (j + 0.125) / n)), float(-std::sin(pi * (j + 0.125) / n)));
        roots_.emplace_back(float(std::cos(2 * pi * j / m)), float(-std::sin(2 * pi * j / m)));
    }
    int bits = 0;
    while ((1 << bits) < m)
        ++bits;
    for (int j = 0; j < m; ++j) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (j & (1 << b))
                r |= 1 << (bits - 1 - b);
        bitReverse_.push_back(r);
    }
}

void WmaMdct::fft(std::complex<float>* z) const
{
    const int m = n_ / 2;
    for (int j = 0; j < m; ++j)
        if (bitReverse_[std::size_t(j)] > j)
            std::swap(z[j], z[bitReverse_[std::size_t(j)]]);
    for (int len = 2; len <= m; len <<= 1) {
        const int step = m / len;
        for (int start = 0; start < m; start += len) {
            for (int j = 0; j < len / 2; ++j) {
                const std::complex<float> t = z[start + j + len / 2] * roots_[std::size_t(j * step)];
                z[start + j + len / 2] = z[start + j] - t;
                z[start + j] += t;
            }
        }
    }
}

void WmaMdct::forward(const float* in, float* out)
{
    const int n = n_;
    const int h = n / 2;
    // The 2n inputs as quarters (a, b, c, d) fold into the n inputs (-c_r - d, a - b_r) of a DCT-IV.
    const float* a = in;
    const float* b = in + h;
    const float* c = in + n;
    const float* d = in + n + h;
    for (int i = 0; i < h; ++i) {
        folded_[std::size_t(i)] = -c[h - 1 - i] - d[i];
        folded_[std::size_t(h + i)] = a[i] - b[h - 1 - i];
    }
    for (int j = 0; j < h; ++j)
        work_[std::size_t(j)] =
            std::complex<float>(folded_[std::size_t(2 * j)], folded_[std::size_t(n - 1 - 2 * j)]) *
            twiddle_[std::size_t(j)];
    fft(work_.data());
    for (int k = 0; k < h; ++k) {
        const std::complex<float> y = work_[std::size_t(k)] * twiddle_[std::size_t(k)];
        out[2 * k] = y.real();
        out[n - 1 - 2 * k] = -y.imag();
    }
}
