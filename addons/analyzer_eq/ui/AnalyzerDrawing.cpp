// The analyzer's picture: the colour ramp and one display update, drawn off
// screen on a canvas and handed to the display control as a bitmap.
#include <algorithm>

#include "addons/analyzer_eq/AnalyzerEq.h"
#include "AnalyzerPicture.h"
#include "dsp/display/CBitmapFromPoints.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

static_assert(kAnalyzerBars == kAnalyzerBandCount, "one bar per analyzer band");

// Bars of stacked cells and, with peaks on, one mark per bar.
void PaintBars(AnalyzerEqInstance& instance, CBitmapFromPoints& canvas) {
    KEFO_MARK();
    const int height = canvas.Height();
    const int barWidth = BarWidth(canvas.Width());
    // The ramp was sized for the display at opening; a display that has
    // grown since shows no more cells than the ramp has colours for.
    const int cells = std::min(CellCount(height), instance.colourRampCount);
    const unsigned* ramp = instance.colourRamp.Get();
    const bool peaks = instance.settings.IsOn(kPeaksOn);
    for (int band = 0; band < kAnalyzerBandCount; ++band) {
        const int left = BarLeft(band, barWidth);
        const int right = left + barWidth - 1;
        const int level = LevelRows(instance.analyzerResults[band].mean, height);
        for (int cell = 0; cell < cells; ++cell) {
            const int bottom = CellBottom(cell);
            canvas.FillRect(left, bottom, right, bottom + 1,
                            bottom <= level ? ramp[cell] : kUnlitCellColour);
        }
        if (!peaks) continue;
        const int fade =
            StepPeak(level, height, instance.peakPositions[band], instance.peakAges[band]);
        const int cell = PeakCell(instance.peakPositions[band]);
        if (cell < 0 || cell >= cells) continue;
        const int bottom = CellBottom(cell);
        canvas.FillRect(left, bottom, right, bottom + 1, FadeToGrey(ramp[cell], fade));
    }
}

}  // namespace

void BuildColorRamp(KEFO_Params* record, int count) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->colourRampCount = 0;
    if (!instance->colourRamp.Allocate(count)) return;
    for (int i = 0; i < count; ++i) instance->colourRamp.Get()[i] = RampColour(i, count);
    instance->colourRampCount = count;
}

void DrawAnalyzer(KEFO_Params* record, HWND display) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    TakeAnalyzerResults(record);
    CBitmapFromPoints canvas;
    if (!canvas.SetSizeFromWindow(display, kDisplayBackground)) return;
    PaintBars(*instance, canvas);

    ErrorRecordA error;
    UniqueHBitmap picture(canvas.CreateBitmap(&error));
    if (error.kind != kErrorNone) {
        // Once per run of failures: the timer would repeat it ten times a
        // second.
        if (!instance->displayFailureReported) ReportErrorRecord(record, error);
        instance->displayFailureReported = true;
    }
    if (!picture) return;
    instance->displayFailureReported = false;
    // The control hands back the picture it held, ours to delete; the new
    // one is left to it only when it really took it.
    const HBITMAP shown = picture.Get();
    UniqueHBitmap previous(reinterpret_cast<HBITMAP>(
        SendMessageW(display, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown))));
    if (previous.Get() == shown) previous.Release();
    if (SendMessageW(display, STM_GETIMAGE, IMAGE_BITMAP, 0) == reinterpret_cast<LRESULT>(shown))
        picture.Release();
}

}  // namespace kefo
