// The demo's test signal and the measurements made on what comes back.
// Portable C++.
#pragma once

#include <vector>

namespace hostsim {

// A stretch of the demo signal that holds one steady sine.
struct ToneSegment {
    double frequency;
    int firstFrame;  // start of the settled part to measure
    int frameCount;  // frames in the settled part
};

struct DemoSignal {
    int channels = 2;
    int sampleRate = 44100;
    std::vector<float> samples;      // interleaved
    std::vector<ToneSegment> tones;  // one per requested frequency
    int noiseFrames = 0;             // pink noise at the start, for the latency
};

// Pink noise, a logarithmic sweep from 20 Hz to 20 kHz, then one steady tone
// per frequency; reproducible (fixed seed).
DemoSignal MakeDemoSignal(const std::vector<double>& toneFrequencies, int channels, int sampleRate);

// Amplitude of one frequency in a stretch of one channel (Goertzel).
double ToneAmplitude(const std::vector<float>& samples, int channels, int channel, double frequency,
                     int sampleRate, int firstFrame, int frameCount);

// Level of the output against the input at a tone, in dB, over both channels.
double MeasuredGainDb(const std::vector<float>& input, const std::vector<float>& output,
                      int channels, int sampleRate, const ToneSegment& tone);

// The lag (in frames, output against input, within +-maxLag) at which the
// first channel of the two signals correlates best over the first frames.
int MeasureLatency(const std::vector<float>& input, const std::vector<float>& output, int channels,
                   int frames, int maxLag);

}  // namespace hostsim
