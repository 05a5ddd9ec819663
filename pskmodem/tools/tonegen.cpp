// pskmodem_tonegen: writes a sine tone with white noise to a 16-bit WAV file.
//   pskmodem_tonegen OUT.wav [hz=1000] [seconds=5] [tone_dbfs=-12] [noise_dbfs=-50]
//                    [rate=8000] [channels=1]
// Levels are relative to a full-scale sine; the noise is Gaussian, the same on every
// channel, from a fixed seed so that the same arguments give the same file.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <sndfile.h>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.wav [hz] [seconds] [tone_dbfs] [noise_dbfs] [rate] [channels]\n",
                     argv[0]);
        return 2;
    }
    const auto arg = [&](int i, double fallback) { return argc > i ? std::atof(argv[i]) : fallback; };
    const double hz = arg(2, 1000.0);
    const double seconds = arg(3, 5.0);
    const double toneDb = arg(4, -12.0);
    const double noiseDb = arg(5, -50.0);
    const int rate = static_cast<int>(arg(6, 8000.0));
    const int channels = static_cast<int>(arg(7, 1.0));
    if (rate < 1 || channels < 1 || seconds <= 0.0) {
        std::fprintf(stderr, "bad rate, channels or length\n");
        return 2;
    }

    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(argv[1], SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    const double amplitude = std::pow(10.0, toneDb / 20.0);
    // A full-scale sine has power 1/2, so noise of that level has sigma sqrt(p / 2).
    const double sigma = std::sqrt(std::pow(10.0, noiseDb / 10.0) / 2.0);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, sigma);
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> buf(static_cast<std::size_t>(channels));
    for (std::size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / rate;
        const double v = amplitude * std::sin(2.0 * std::numbers::pi * hz * t) + noise(rng);
        for (float &s : buf)
            s = static_cast<float>(v);
        sf_writef_float(file, buf.data(), 1);
    }
    sf_close(file);
    return 0;
}
