// The arithmetic of the analyzer's picture: display geometry, the colour
// ramp of the cells and the hold-and-fade of the peak marks. Portable and
// free of state, so the drawing code and its tests share one definition.
//
// The display is kAnalyzerBars bars of stacked cells. With W x H the pixel
// size of the display, a bar is b = (W - 40) / 19 columns wide and bar k
// starts at column 2 + k * (b + 2); cell j covers the rows 3j + 2 and
// 3j + 3 counted from the bottom, one empty row between cells.
//
// Nothing here allocates or throws; any thread may call it.
#pragma once

#include <cstdint>

namespace kefo {

constexpr int kAnalyzerBars = 19;
constexpr std::uint32_t kDisplayBackground = 0x000000;  // 0x00RRGGBB, as the canvas
constexpr std::uint32_t kUnlitCellColour = 0x646464;
constexpr double kDisplayTopDb = -15.0;    // and louder: every cell lit
constexpr double kDisplayFloorDb = -75.0;  // and quieter: none
constexpr int kPeakHoldTicks = 15;
constexpr int kPeakFadeTicks = 7;
constexpr int kPeakFadeStart = kPeakHoldTicks - kPeakFadeTicks;

// Pixels the display gives up so that W - 40 is a multiple of 19 and H a
// multiple of 3. A display narrower than 40 pixels keeps its width.
int DisplayWidthExcess(int width);
int DisplayHeightExcess(int height);
// How far frequency label i (0..8) moves when the display's width changes
// by dx pixels: i * dx / 9, truncated.
int LabelShift(int label, int dx);

int BarWidth(int displayWidth);  // 0 for a display too narrow for bars
int BarLeft(int bar, int barWidth);
// Cells j with 3j + 2 < H - 1: H / 3 - 1 for a height divisible by 3.
int CellCount(int displayHeight);
inline int CellBottom(int cell) {
    return 3 * cell + 2;
}

// The lit height in rows of a band power: 0 at or below the floor, the whole
// height at or above the top.
int LevelRows(double power, int displayHeight);

// Colour of cell index (0 = bottom) of a ramp of count cells, 0x00RRGGBB:
// light green up to 0.4 of the height, through yellow at 0.7 and light red
// at 0.9 to red at the top.
std::uint32_t RampColour(int index, int count);

// colour blended toward grey 100 by fade / kPeakFadeTicks.
std::uint32_t FadeToGrey(std::uint32_t colour, int fade);

// One display tick of a band's peak mark. A level at or above the mark moves
// it up at once; below it the mark holds in full colour for kPeakFadeStart
// ticks, fades over the next kPeakFadeTicks, and then drops to the level.
// Returns the fade (0 = full colour .. kPeakFadeTicks = grey).
int StepPeak(int level, int displayHeight, int& position, int& age);

// The cell that shows a mark at position, or -1 when there is none.
inline int PeakCell(int position) {
    return position > 1 ? (position - 2) / 3 : -1;
}

}  // namespace kefo
