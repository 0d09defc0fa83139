#include "AnalyzerPicture.h"

#include <algorithm>

#include "dsp/CSpectrumAn.h"

namespace kefo {
namespace {

constexpr int kDisplayMargin = 40;  // pixels not covered by bars or the gaps between them
constexpr int kBarGap = 2;
constexpr int kRowsPerCell = 3;  // two lit rows and one empty row
constexpr int kLabelCount = 9;
constexpr int kGreyLevel = 100;

struct RampStop {
    double position;  // 0 at the bottom cell, 1 at the top one
    std::uint32_t colour;
};
constexpr RampStop kRampStops[] = {
    {0.0, 0x9BFF9B}, {0.4, 0x9BFF9B}, {0.7, 0xFFFF00}, {0.9, 0xFF6464}, {1.0, 0xFF4B4B},
};
constexpr int kLastStop = static_cast<int>(sizeof kRampStops / sizeof kRampStops[0]) - 1;

int Channel(std::uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

std::uint32_t Pixel(int red, int green, int blue) {
    return (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) |
           static_cast<std::uint32_t>(blue);
}

}  // namespace

int DisplayWidthExcess(int width) {
    return width > kDisplayMargin ? (width - kDisplayMargin) % kAnalyzerBars : 0;
}

int DisplayHeightExcess(int height) {
    return height > 0 ? height % kRowsPerCell : 0;
}

int LabelShift(int label, int dx) {
    return label * dx / kLabelCount;
}

int BarWidth(int displayWidth) {
    return displayWidth > kDisplayMargin ? (displayWidth - kDisplayMargin) / kAnalyzerBars : 0;
}

int BarLeft(int bar, int barWidth) {
    return kBarGap + bar * (barWidth + kBarGap);
}

int CellCount(int displayHeight) {
    // The last cell's bottom row 3j + 2 must lie below the top row H - 1.
    return displayHeight >= 4 ? (displayHeight - 4) / kRowsPerCell + 1 : 0;
}

int LevelRows(double power, int displayHeight) {
    return static_cast<int>(LevelToFraction(power, kDisplayTopDb, kDisplayFloorDb) * displayHeight);
}

std::uint32_t RampColour(int index, int count) {
    // A ramp of one cell has no height to spread over: it takes the bottom
    // colour rather than dividing by zero.
    const double a =
        count > 1 ? static_cast<double>(std::clamp(index, 0, count - 1)) / (count - 1) : 0.0;
    int stop = 1;
    while (stop < kLastStop && !(a < kRampStops[stop].position)) ++stop;
    const RampStop& from = kRampStops[stop - 1];
    const RampStop& to = kRampStops[stop];
    const int t = static_cast<int>((a - from.position) * 256 / (to.position - from.position) +
                                   0.499999);  // 0..256
    int channels[3];
    for (int c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * c;
        channels[c] =
            (Channel(from.colour, shift) * (256 - t) + Channel(to.colour, shift) * t) / 256;
    }
    return Pixel(channels[0], channels[1], channels[2]);
}

std::uint32_t FadeToGrey(std::uint32_t colour, int fade) {
    fade = std::clamp(fade, 0, kPeakFadeTicks);
    const auto blend = [fade](int channel) {
        return (fade * kGreyLevel + channel * (kPeakFadeTicks - fade)) / kPeakFadeTicks;
    };
    return Pixel(blend(Channel(colour, 16)), blend(Channel(colour, 8)), blend(Channel(colour, 0)));
}

int StepPeak(int level, int displayHeight, int& position, int& age) {
    // The mark's top row stays below the display's top row.
    const int highest = displayHeight - 4;
    if (level < position) {
        ++age;
        if (age <= kPeakHoldTicks) return age > kPeakFadeStart ? age - kPeakFadeStart : 0;
    }
    position = std::min(level, highest);
    age = 0;
    return 0;
}

}  // namespace kefo
