#include "DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace hostsim {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Paul Kellet's economy filter turns white noise into pink (-3 dB/octave).
class PinkNoise {
public:
    explicit PinkNoise(unsigned seed) : random_(seed), white_(-1.0, 1.0) {}
    double Next() {
        const double w = white_(random_);
        b0_ = 0.99765 * b0_ + w * 0.0990460;
        b1_ = 0.96300 * b1_ + w * 0.2965164;
        b2_ = 0.57000 * b2_ + w * 1.0526913;
        return (b0_ + b1_ + b2_ + w * 0.1848) * 0.05;
    }

private:
    std::mt19937 random_;
    std::uniform_real_distribution<double> white_;
    double b0_ = 0, b1_ = 0, b2_ = 0;  // the three leaky integrators
};

}  // namespace

DemoSignal MakeDemoSignal(const std::vector<double>& toneFrequencies, int channels,
                          int sampleRate) {
    DemoSignal signal;
    signal.channels = channels;
    signal.sampleRate = sampleRate;
    const int noiseFrames = 2 * sampleRate;
    const int sweepFrames = 2 * sampleRate;
    const int toneFrames = sampleRate * 3 / 10;
    const int settle = sampleRate / 20;  // skip the filter's onset and decay
    signal.noiseFrames = noiseFrames;
    auto push = [&](double left, double right) {
        signal.samples.push_back(static_cast<float>(left));
        if (channels == 2) signal.samples.push_back(static_cast<float>(right));
    };

    PinkNoise left(1), right(2);
    for (int i = 0; i < noiseFrames; ++i) push(left.Next(), right.Next());

    const double f0 = 20.0, f1 = 20000.0, duration = sweepFrames / double(sampleRate);
    const double k = std::log(f1 / f0);
    for (int i = 0; i < sweepFrames; ++i) {
        const double t = i / double(sampleRate);
        const double phase = 2 * kPi * f0 * duration / k * (std::exp(t / duration * k) - 1);
        const double v = 0.25 * std::sin(phase);
        push(v, v);
    }

    for (double frequency : toneFrequencies) {
        const int start = static_cast<int>(signal.samples.size()) / channels;
        for (int i = 0; i < toneFrames; ++i) {
            const double v = 0.25 * std::sin(2 * kPi * frequency * i / sampleRate);
            push(v, v);
        }
        signal.tones.push_back(ToneSegment{frequency, start + settle, toneFrames - 2 * settle});
    }
    return signal;
}

double ToneAmplitude(const std::vector<float>& samples, int channels, int channel, double frequency,
                     int sampleRate, int firstFrame, int frameCount) {
    const double w = 2 * kPi * frequency / sampleRate;
    const double coefficient = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (int i = 0; i < frameCount; ++i) {
        const double s0 = samples[static_cast<std::size_t>(firstFrame + i) * channels + channel] +
                          coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / frameCount;
}

double MeasuredGainDb(const std::vector<float>& input, const std::vector<float>& output,
                      int channels, int sampleRate, const ToneSegment& tone) {
    double in = 0, out = 0;
    for (int c = 0; c < channels; ++c) {
        in += ToneAmplitude(input, channels, c, tone.frequency, sampleRate, tone.firstFrame,
                            tone.frameCount);
        out += ToneAmplitude(output, channels, c, tone.frequency, sampleRate, tone.firstFrame,
                             tone.frameCount);
    }
    return 20 * std::log10(out / in);
}

int MeasureLatency(const std::vector<float>& input, const std::vector<float>& output, int channels,
                   int frames, int maxLag) {
    const int available = static_cast<int>(std::min(input.size(), output.size())) / channels;
    frames = std::min(frames, available - 2 * maxLag);
    int best = 0;
    double bestScore = -1e300;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double score = 0;
        for (int i = maxLag; i < maxLag + frames; ++i)
            score += double(input[static_cast<std::size_t>(i) * channels]) *
                     output[static_cast<std::size_t>(i + lag) * channels];
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

}  // namespace hostsim
