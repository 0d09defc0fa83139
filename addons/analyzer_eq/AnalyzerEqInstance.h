// One add-on instance: created by CreateInstance, its address is the record's
// context until DestroyInstance.
#pragma once

#include <windows.h>

#include "AnalyzerEqSettings.h"
#include "dsp/CGraphicEqFIR.h"
#include "dsp/CSpectrumAn.h"
#include "dsp/HeapArray.h"
#include "support/UniqueHandle.h"

namespace kefo {

constexpr int kAnalyzerBandCount = 19;

// Upper band edges of the analyzer, and the equalizer's band centres, in Hz.
extern const double kAnalyzerBandEdges[kAnalyzerBandCount];
extern const double kEqualizerBandCentres[kBandCount];

struct AnalyzerEqInstance {
    // Analyzer window and its DSP state.
    HWND analyzerDialog = nullptr;
    HWND analyzerFrame = nullptr;
    SpectrumAnConfig analyzerConfig{};
    SpectrumBand analyzerResults[kAnalyzerBandCount]{};
    int peakPositions[kAnalyzerBandCount]{};
    int peakAges[kAnalyzerBandCount]{};
    HeapArray<unsigned> colourRamp;        // pixel values of the bar colours
    int colourRampCount = 0;               // cells the ramp has colours for
    bool displayFailureReported = false;   // cleared by the next picture shown
    int analyzerFill = 0;                  // samples gathered in analyzerFrame
    HeapArray<float> analyzerFrameBuffer;  // GetFrameLength() floats
    CSpectrumAn analyzer;

    // Equalizer windows and its DSP state.
    HWND equalizerDialog = nullptr;  // modeless, kinds 0 and 2
    HWND equalizerFrame = nullptr;
    HWND modalEqualizerDialog = nullptr;  // kind 1, only while it runs
    GraphicEqConfig equalizerConfig{};
    int blockFill = 0;             // samples gathered in the block buffer
    int pendingSkip = 0;           // output samples still to drop
    HeapArray<float> blockBuffer;  // GetBlockLength() floats
    CGraphicEqFIR equalizer;
    bool audioAllocationFailed = false;  // reported; cleared by the next success

    AnalyzerEqSettings settings = DefaultSettings();
    AnalyzerEqSettings savedSettings = DefaultSettings();  // restored by the modal Cancel

    // Status indicator pictures, full instances only.
    UniqueHBitmap indicatorOn;
    UniqueHBitmap indicatorOff;
};

}  // namespace kefo
