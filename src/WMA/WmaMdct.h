#pragma once

#include <complex>
#include <vector>

// Forward MDCT of 2n windowed samples into n coefficients,
//   X[k] = sum_{i<2n} x[i] cos(pi/n (i + 1/2 + n/2)(k + 1/2)),
// by folding into a DCT-IV that runs on an n/2-point complex FFT. n is a power of two, at least 4.
class WmaMdct {
public:
    explicit WmaMdct(int n);
    int size() const { return n_; }
    void forward(const float* in, float* out);

private:
    void fft(std::complex<float>* z) const;

    int n_;
    std::vector<std::complex<float>> twiddle_; // pre- and post-rotation exp(-i pi (j + 1/8) / n)
    std::vector<std::complex<float>> roots_;   // exp(-2 pi i j / (n/2))
    std::vector<int> bitReverse_;
    std::vector<float> folded_;
    std::vector<std::complex<float>> work_;
};
