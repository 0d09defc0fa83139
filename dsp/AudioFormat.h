// AudioFormat: the one rule for the audio the DSP objects take: mono, or
// stereo interleaved left, right, at 1 Hz to 1 MHz. Hosts send up to
// 192 kHz; the ceiling leaves room above that while every transform length
// stays far inside an int. A block of any other format is not the DSP's to
// touch: it passes through as it came.
//
//     if (!IsSupportedFormat(channels, rate)) return;  // the block stays as it is
//
// Threads: a pure function, callable from any thread.
#pragma once

namespace kefo {

constexpr int kMaxChannels = 2;
constexpr int kMaxSampleRate = 1000000;  // Hz

constexpr bool IsSupportedFormat(int channels, int sampleRate) noexcept {
    return channels >= 1 && channels <= kMaxChannels && sampleRate > 0 &&
           sampleRate <= kMaxSampleRate;
}

}  // namespace kefo
